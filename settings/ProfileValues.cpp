#include "settings/ProfileValues.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <utility>

#include "settings/ProfileRecord.h"

namespace {

// Entry lines end in one LF; a text-mode file makes it CR LF.
constexpr const wchar_t* kIntLine = L"%ls=%08x\n";
constexpr const wchar_t* kTextLine = L"%ls=%ls\n";
constexpr const wchar_t* kFontText = L"%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%ls";

constexpr size_t kFaceNameUnits = LF_FACESIZE - 1;

const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }

// The record's text for key, empty when absent.
ZUnicodeString Lookup(const ProfileRecord& record, const wchar_t* key)
{
    return record[ZUnicodeString(OrEmpty(key))];
}

// Unsigned hexadecimal as wcstoul reads it (optional "0x", stops at the first
// other character, saturates at 0xFFFFFFFF), taken as a 32-bit pattern.
int32_t ParseHex32(const ZUnicodeString& text)
{
    return static_cast<int32_t>(static_cast<uint32_t>(std::wcstoul(text.c_str(), nullptr, 16)));
}

CWinApp* Application() { return AfxGetApp(); }

// One "%d" field as scanf reads it: blanks skipped, an optional sign, at least
// one digit. Values beyond 32 bits saturate instead of overflowing.
bool ScanInt(const wchar_t*& p, int64_t& value)
{
    const wchar_t* q = p;
    while (*q && std::iswspace(*q))
        ++q;
    bool negative = false;
    if (*q == L'+' || *q == L'-') {
        negative = *q == L'-';
        ++q;
    }
    if (*q < L'0' || *q > L'9')
        return false;
    int64_t magnitude = 0;
    for (; *q >= L'0' && *q <= L'9'; ++q)
        magnitude = std::min<int64_t>(magnitude * 10 + (*q - L'0'), int64_t(1) << 40);
    value = negative ? -magnitude : magnitude;
    p = q;
    return true;
}

int ClampToInt(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

CString Cut(const CString& value, int maxUnits)
{
    if (value.GetLength() <= maxUnits)
        return value;
    int length = maxUnits;
    // Never leave half of a surrogate pair at the end.
    const wchar_t last = value[length - 1];
    if (last >= 0xD800 && last <= 0xDBFF)
        --length;
    return value.Left(length);
}

}  // namespace

// ---------------------------------------------------------------- ProfileInt

ProfileInt::ProfileInt() : m_value(0), m_default(0) {}
ProfileInt::ProfileInt(const wchar_t* name, int defaultValue)
    : m_name(name), m_value(defaultValue), m_default(defaultValue) {}
ProfileInt::ProfileInt(const ProfileInt& other) = default;
ProfileInt::ProfileInt(ProfileInt&& other) noexcept = default;
ProfileInt& ProfileInt::operator=(const ProfileInt& other) = default;
ProfileInt& ProfileInt::operator=(ProfileInt&& other) noexcept = default;
ProfileInt::~ProfileInt() = default;

void ProfileInt::init(const ProfileRecord& record, const wchar_t* key, int defaultValue)
{
    m_name = key;
    m_value = m_default = defaultValue;
    const ZUnicodeString text = Lookup(record, key);
    if (!text.empty())
        m_value = ParseHex32(text);
}

void ProfileInt::init(const wchar_t* section, const wchar_t* key, int defaultValue)
{
    m_name = key;
    m_value = m_default = defaultValue;
    if (CWinApp* app = Application())
        m_value = static_cast<int>(app->GetProfileInt(section, key, defaultValue));
}

void ProfileInt::save(CStdioFile& file) const
{
    if (m_value == m_default)
        return;
    CString line;
    line.Format(kIntLine, m_name.GetString(), static_cast<unsigned>(m_value));
    file.WriteString(line);
}

void ProfileInt::save(const wchar_t* section) const
{
    if (CWinApp* app = Application())
        app->WriteProfileInt(section, m_name, m_value);
}

ProfileInt& ProfileInt::operator=(int value)
{
    m_value = value;
    return *this;
}

// ----------------------------------------------------------- ProfileColorref

ProfileColorref::ProfileColorref() = default;
ProfileColorref::ProfileColorref(const wchar_t* name, COLORREF defaultValue)
    : ProfileInt(name, static_cast<int>(defaultValue)) {}
ProfileColorref::ProfileColorref(const ProfileColorref& other) = default;
ProfileColorref::ProfileColorref(ProfileColorref&& other) noexcept = default;
ProfileColorref& ProfileColorref::operator=(const ProfileColorref& other) = default;
ProfileColorref& ProfileColorref::operator=(ProfileColorref&& other) noexcept = default;
ProfileColorref::~ProfileColorref() = default;

ProfileColorref& ProfileColorref::operator=(unsigned long value)
{
    m_value = static_cast<int>(static_cast<uint32_t>(value));
    return *this;
}

// ------------------------------------------------------------- ProfileDouble

ProfileDouble::ProfileDouble() : m_value(0.0) {}
ProfileDouble::ProfileDouble(const wchar_t* name, double value) : m_name(name), m_value(value) {}
ProfileDouble::ProfileDouble(const ProfileDouble& other) = default;
ProfileDouble::ProfileDouble(ProfileDouble&& other) noexcept = default;
ProfileDouble& ProfileDouble::operator=(const ProfileDouble& other) = default;
ProfileDouble& ProfileDouble::operator=(ProfileDouble&& other) noexcept = default;
ProfileDouble::~ProfileDouble() = default;

int ProfileDouble::ToThousandths(double value)
{
    if (std::isnan(value))
        return 0;
    // Half away from zero, so that -1.5 and 1.5 keep the same magnitude.
    const double scaled = value * 1000.0 + (value < 0 ? -0.5 : 0.5);
    if (scaled >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (scaled <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(scaled);
}

void ProfileDouble::init(const ProfileRecord& record, const wchar_t* key, double defaultValue)
{
    m_name = key;
    m_value = defaultValue;
    const ZUnicodeString text = Lookup(record, key);
    // The field is the 32-bit pattern that save writes, so negative values come back.
    if (!text.empty())
        m_value = ParseHex32(text) / 1000.0;
}

void ProfileDouble::init(const wchar_t* section, const wchar_t* key, double defaultValue)
{
    m_name = key;
    m_value = defaultValue;
    if (CWinApp* app = Application())
        m_value = static_cast<int>(app->GetProfileInt(section, key, ToThousandths(defaultValue))) / 1000.0;
}

void ProfileDouble::save(CStdioFile& file) const
{
    CString line;
    line.Format(kIntLine, m_name.GetString(), static_cast<unsigned>(ToThousandths(m_value)));
    file.WriteString(line);
}

void ProfileDouble::save(const wchar_t* section) const
{
    if (CWinApp* app = Application())
        app->WriteProfileInt(section, m_name, ToThousandths(m_value));
}

ProfileDouble& ProfileDouble::operator=(double value)
{
    m_value = value;
    return *this;
}

// ------------------------------------------------------------- ProfileString

ProfileString::ProfileString() = default;
ProfileString::ProfileString(const wchar_t* name, const wchar_t* defaultValue)
    : m_value(defaultValue), m_name(name), m_default(defaultValue) {}
ProfileString::ProfileString(const ProfileString& other) = default;
ProfileString::ProfileString(ProfileString&& other) noexcept = default;
ProfileString& ProfileString::operator=(const ProfileString& other) = default;
ProfileString& ProfileString::operator=(ProfileString&& other) noexcept = default;
ProfileString::~ProfileString() = default;

void ProfileString::init(const ProfileRecord& record, const wchar_t* key, const wchar_t* defaultValue)
{
    init(key, defaultValue);
    const ZUnicodeString text = Lookup(record, key);
    if (!text.empty())
        m_value = CString(text.c_str(), static_cast<int>(text.length()));
}

void ProfileString::init(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue)
{
    init(key, defaultValue);
    if (CWinApp* app = Application())
        m_value = app->GetProfileString(section, key, defaultValue);
}

void ProfileString::init(const wchar_t* key, const wchar_t* defaultValue)
{
    m_name = key;
    m_default = defaultValue;
    m_value = m_default;
}

void ProfileString::save(CStdioFile& file) const
{
    if (m_value == m_default)
        return;
    CString line;
    line.Format(kTextLine, m_name.GetString(), Cut(m_value, kMaxTextFileLength).GetString());
    file.WriteString(line);
}

void ProfileString::save(const wchar_t* section) const
{
    if (CWinApp* app = Application())
        app->WriteProfileString(section, m_name, m_value);
}

ProfileString& ProfileString::operator=(const CString& value)
{
    m_value = value;
    return *this;
}

ProfileString& ProfileString::operator=(const wchar_t* value)
{
    m_value = value;
    return *this;
}

// ------------------------------------------------------------ ProfileLogfont

ProfileLogfont::ProfileLogfont() : m_logFont{}, m_size(0) {}

ProfileLogfont::ProfileLogfont(const ProfileLogfont& other) = default;

ProfileLogfont& ProfileLogfont::operator=(const ProfileLogfont& other) = default;

ProfileLogfont::~ProfileLogfont() = default;

void ProfileLogfont::init(const ProfileRecord& record, const wchar_t* key, const wchar_t* defaultText)
{
    m_text.init(record, key, defaultText);
    ParseText(m_text.GetValue());
}

void ProfileLogfont::init(const ProfileRecord& record, const wchar_t* key, const wchar_t* faceName, int height)
{
    m_text.init(record, key, L"");
    if (!m_text.GetValue().IsEmpty()) {
        ParseText(m_text.GetValue());
        return;
    }
    m_logFont = LOGFONTW{};
    const int64_t pixels = height;
    m_logFont.lfHeight = ClampToInt(-pixels);
    m_logFont.lfWeight = FW_NORMAL;
    m_logFont.lfCharSet = DEFAULT_CHARSET;
    m_logFont.lfPitchAndFamily = FIXED_PITCH;
    if (faceName)
        std::wcsncpy(m_logFont.lfFaceName, faceName, kFaceNameUnits);  // the array's last unit stays 0
    m_size = ClampToInt((pixels < 0 ? -pixels : pixels) * 720 / 96);
}

void ProfileLogfont::init(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText)
{
    m_text.init(section, key, defaultText);
    ParseText(m_text.GetValue());
}

void ProfileLogfont::save(CStdioFile& file)
{
    RebuildText();
    m_text.save(file);
}

void ProfileLogfont::save(const wchar_t* section)
{
    RebuildText();
    m_text.save(section);
}

ProfileLogfont& ProfileLogfont::operator=(const wchar_t* text)
{
    m_text = text;
    ParseText(m_text.GetValue());
    return *this;
}

int ProfileLogfont::operator!=(const LOGFONTW& other) const
{
    return std::memcmp(&m_logFont, &other, sizeof(LOGFONTW)) != 0;
}

void ProfileLogfont::ParseText(const wchar_t* text)
{
    if (!text)
        return;
    LONG* const longFields[] = {&m_logFont.lfHeight, &m_logFont.lfWidth, &m_logFont.lfEscapement, &m_logFont.lfOrientation,
                                &m_logFont.lfWeight};
    BYTE* const byteFields[] = {&m_logFont.lfItalic, &m_logFont.lfUnderline, &m_logFont.lfStrikeOut, &m_logFont.lfCharSet,
                                &m_logFont.lfOutPrecision, &m_logFont.lfClipPrecision, &m_logFont.lfQuality,
                                &m_logFont.lfPitchAndFamily};
    constexpr int kNumberFields = 1 + 5 + 8;

    // Field by field; the first field that does not match ends the scan and
    // the fields from there on keep what they held.
    const wchar_t* p = text;
    for (int field = 0; field < kNumberFields; ++field) {
        if (field > 0) {
            if (*p != L',')
                return;
            ++p;
        }
        int64_t value = 0;
        if (!ScanInt(p, value))
            return;
        if (field == 0)
            m_size = ClampToInt(value);
        else if (field <= 5)
            *longFields[field - 1] = ClampToInt(value);
        else
            *byteFields[field - 6] = static_cast<BYTE>(static_cast<uint32_t>(ClampToInt(value)) & 0xFF);
    }
    if (*p != L',')
        return;
    ++p;
    // The face name: the run of characters from blank to 'z', cut to what
    // lfFaceName holds.
    size_t length = 0;
    while (p[length] >= L' ' && p[length] <= L'z')
        ++length;
    length = std::min(length, kFaceNameUnits);
    std::memset(m_logFont.lfFaceName, 0, sizeof(m_logFont.lfFaceName));
    std::memcpy(m_logFont.lfFaceName, p, length * sizeof(wchar_t));
}

void ProfileLogfont::RebuildText()
{
    // The host may fill all 32 units of the face name; never read past them.
    wchar_t face[LF_FACESIZE + 1] = {};
    std::memcpy(face, m_logFont.lfFaceName, sizeof(m_logFont.lfFaceName));
    CString text;
    text.Format(kFontText, m_size, static_cast<int>(m_logFont.lfHeight), static_cast<int>(m_logFont.lfWidth),
                static_cast<int>(m_logFont.lfEscapement), static_cast<int>(m_logFont.lfOrientation),
                static_cast<int>(m_logFont.lfWeight), m_logFont.lfItalic, m_logFont.lfUnderline, m_logFont.lfStrikeOut, m_logFont.lfCharSet,
                m_logFont.lfOutPrecision, m_logFont.lfClipPrecision, m_logFont.lfQuality, m_logFont.lfPitchAndFamily, face);
    m_text = text;
}
