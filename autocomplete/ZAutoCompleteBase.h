// ZAutoCompleteBase: the window-free half of auto-completion. It sends typed
// text to the host's provider, keeps the completions of the latest text and
// drops answers for any other, and hands accepted text to the host's sink.
//
// The provider's list is kept as it comes: same order, duplicates kept, no
// filtering and no limit. The mutex is never held while calling out, so a
// provider may answer synchronously from inside its request.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "autocomplete/IAutoComplete.h"
#include "foundation/TessaroApi.h"
#include "foundation/ZUnknown.h"

class TESSARO_API ZAutoCompleteBase : public ZUnknown<IAutoCompleteDataSink> {
public:
    // Any thread: stores the answer when it is for the latest text asked for.
    void OnAutoComplete(const wchar_t* text, const std::vector<std::wstring>& completions,
                        IAutoCompleteDataSource* source) override;
    ~ZAutoCompleteBase() override;

    ZAutoCompleteBase(const ZAutoCompleteBase&) = delete;
    ZAutoCompleteBase& operator=(const ZAutoCompleteBase&) = delete;

protected:
    // source may be null (nothing is ever asked); one reference is held.
    ZAutoCompleteBase(IAutoCompleteDataSource* source, IAutoCompleteSink* sink);

    // New completions are stored; runs on the provider's thread.
    virtual void OnAutoComplete() = 0;

    // Asks the provider, unless text is the text asked for last.
    void AutoComplete(const wchar_t* text);
    // Empty when index is not below the count.
    std::wstring GetCompletionAtIndex(size_t index);
    size_t GetCompletionCount();
    bool Accept(const wchar_t* text, bool fromList, bool alt, bool control, bool shift,
                ZAutoCompleteBase* autoComplete);

    std::wstring m_strAutoCompleteText;
    IAutoCompleteSink* m_pSink;
    IAutoCompleteDataSource* m_pDataSource;
    std::mutex m_mutex;
    std::vector<std::wstring> m_vecCompletions;
};
