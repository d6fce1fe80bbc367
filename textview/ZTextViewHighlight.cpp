#include "textview/ZTextViewHighlight.h"

ZTextViewHighlight::ZTextViewHighlight(ITextViewHighlightSink* sink) : m_sink(sink) {}

ZTextViewHighlight::ZTextViewHighlight(ITextViewHighlightSink* sink, ZTextViewCharPosition begin,
                                       ZTextViewCharPosition end)
    : m_begin(begin), m_end(end), m_sink(sink) {}

void ZTextViewHighlight::UpdateEnd(ZTextViewCharPosition end)
{
    if (end == m_end)
        return;
    m_end = end;
    if (m_sink)
        m_sink->OnHighlightChange();
}

void ZTextViewHighlight::Update(ZTextViewCharPosition begin, ZTextViewCharPosition end, bool notify)
{
    if (begin == m_begin && end == m_end)
        return;
    m_begin = begin;
    m_end = end;
    if (notify && m_sink)
        m_sink->OnHighlightChange();
}

bool ZTextViewHighlight::Scroll(unsigned long long n)
{
    if (m_begin.line < n) {
        if (m_end.line < n)
            return false;
        m_begin = ZTextViewCharPosition{};
    } else {
        m_begin.line -= n;
    }
    if (m_end.line < n)
        m_end = ZTextViewCharPosition{};
    else
        m_end.line -= n;
    return true;
}
