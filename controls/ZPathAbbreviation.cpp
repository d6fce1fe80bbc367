#include "controls/ZPathAbbreviation.h"

#include <cstddef>
#include <utility>

namespace Tessaro {

namespace {

constexpr std::wstring_view kEllipsis = L"...";

bool IsSeparator(wchar_t ch)
{
    return ch == L'\\' || ch == L'/';
}

std::wstring Join(const std::vector<std::wstring>& parts)
{
    std::wstring joined;
    for (const std::wstring& part : parts)
        joined += part;
    return joined;
}

// The components being shortened and the text they make, measured once per change.
class Shortening {
public:
    Shortening(std::vector<std::wstring> parts, int availableWidth, const MeasureText& measure)
        : m_parts(std::move(parts)), m_availableWidth(availableWidth), m_measure(measure)
    {
    }

    size_t Count() const { return m_parts.size(); }
    bool TooWide() const { return m_tooWide; }
    const std::wstring& Text() const { return m_text; }

    void Measure()
    {
        m_text = Join(m_parts);
        m_tooWide = m_measure(m_text) > m_availableWidth;
    }

    // Component `index` becomes "..." with its own separator.
    void Elide(size_t index)
    {
        m_parts[index] = std::wstring(kEllipsis) + m_parts[index].back();
        Measure();
    }

    // Components index-1 and index become one "..." ending in index's separator.
    void Collapse(size_t index)
    {
        m_parts[index - 1] = std::wstring(kEllipsis) + m_parts[index].back();
        m_parts.erase(m_parts.begin() + static_cast<std::ptrdiff_t>(index));
        Measure();
    }

    void RemoveFirst()
    {
        m_parts.erase(m_parts.begin());
        Measure();
    }

    void KeepOnlyLast()
    {
        m_parts.erase(m_parts.begin(), m_parts.end() - 1);
        m_text = m_parts.front();
    }

private:
    std::vector<std::wstring> m_parts;
    int m_availableWidth;
    const MeasureText& m_measure;
    std::wstring m_text;
    bool m_tooWide = false;
};

}  // namespace

PathComponents SplitPathComponents(std::wstring_view path)
{
    PathComponents result;
    std::wstring current;
    for (wchar_t ch : path) {
        current += ch;
        if (!IsSeparator(ch))
            continue;
        // The leading "\" or "\\" of a rooted or network path belongs to the
        // first real component.
        if (result.parts.empty() && (current == L"\\" || current == L"\\\\")) {
            if (current == L"\\\\")
                result.network = true;
            continue;
        }
        result.parts.push_back(std::move(current));
        current.clear();
    }
    if (!current.empty())
        result.parts.push_back(std::move(current));

    if (result.network && result.parts.size() >= 2 && result.parts[1].back() == L':') {
        result.parts[0] += result.parts[1];
        result.parts.erase(result.parts.begin() + 1);
    }
    return result;
}

std::wstring AbbreviatePath(std::wstring_view path, int availableWidth, bool keepLastFolder,
                            const MeasureText& measure)
{
    if (measure(path) <= availableWidth)
        return std::wstring(path);

    Shortening shortening(SplitPathComponents(path).parts, availableWidth, measure);
    if (shortening.Count() > 3)
        shortening.Elide(2);
    else
        shortening.Measure();

    while (shortening.Count() > 5 && shortening.TooWide())
        shortening.Collapse(3);
    if (shortening.TooWide() && shortening.Count() == 5)
        shortening.Collapse(keepLastFolder ? 2 : 3);
    if (shortening.TooWide() && shortening.Count() == 4)
        shortening.Collapse(2);
    if (shortening.TooWide() && shortening.Count() == 3)
        shortening.RemoveFirst();
    if (shortening.TooWide() && shortening.Count() == 2)
        shortening.KeepOnlyLast();
    return shortening.Text();
}

}  // namespace Tessaro
