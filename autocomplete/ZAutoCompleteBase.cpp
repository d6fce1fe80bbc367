#include "autocomplete/ZAutoCompleteBase.h"

ZAutoCompleteBase::ZAutoCompleteBase(IAutoCompleteDataSource* source, IAutoCompleteSink* sink)
    : m_pSink(sink), m_pDataSource(source)
{
    if (m_pDataSource)
        m_pDataSource->AddRef();
}

ZAutoCompleteBase::~ZAutoCompleteBase()
{
    m_vecCompletions.clear();
    if (IAutoCompleteDataSource* source = std::exchange(m_pDataSource, nullptr))
        source->Release();
}

void ZAutoCompleteBase::AutoComplete(const wchar_t* text)
{
    const std::wstring asked = text ? text : L"";
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (asked == m_strAutoCompleteText)
            return;
        m_strAutoCompleteText = asked;
    }
    if (m_pDataSource)
        m_pDataSource->RequestCompletions(asked.c_str(), this);
}

void ZAutoCompleteBase::OnAutoComplete(const wchar_t* text, const std::vector<std::wstring>& completions,
                                       IAutoCompleteDataSource*)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_strAutoCompleteText != (text ? text : L""))
            return;  // stale: the user has typed on
        if (&completions != &m_vecCompletions)
            m_vecCompletions = completions;
    }
    OnAutoComplete();
}

std::wstring ZAutoCompleteBase::GetCompletionAtIndex(size_t index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return index < m_vecCompletions.size() ? m_vecCompletions[index] : std::wstring();
}

size_t ZAutoCompleteBase::GetCompletionCount()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_vecCompletions.size();
}

bool ZAutoCompleteBase::Accept(const wchar_t* text, bool fromList, bool alt, bool control, bool shift,
                               ZAutoCompleteBase* autoComplete)
{
    return m_pSink && m_pSink->Accept(text, fromList, alt, control, shift, autoComplete);
}
