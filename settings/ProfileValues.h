// Typed settings that a host keeps in three places: a section of a profile text
// file (read into a ProfileRecord, written as "key=value" lines), the running
// application's profile (CWinApp::GetProfileInt and its siblings, through
// AfxGetApp so that a host's overrides apply), and memory.
//
//   ProfileInt       32-bit value, written as 8 lower-case hex digits
//   ProfileColorref  a ProfileInt read as a COLORREF (0x00BBGGRR)
//   ProfileDouble    value kept as thousandths in a 32-bit integer
//   ProfileString    text, at most 8000 UTF-16 units in a text file
//   ProfileLogfont   a LOGFONTW and its size, kept as a 15-field text form:
//                    size (tenths of a point), lfHeight, lfWidth, lfEscapement,
//                    lfOrientation, lfWeight, the eight byte fields, lfFaceName
//
// Text files get a line only when a value differs from its default (doubles
// always); the application profile is always written. Nothing here reports an
// error: missing or unreadable values fall back to the default.
#pragma once

#include <afxwin.h>

#include <cstdint>

#include "foundation/TessaroApi.h"

class ProfileRecord;

class TESSARO_API ProfileInt {
public:
    ProfileInt();
    ProfileInt(const wchar_t* name, int defaultValue);
    ProfileInt(const ProfileInt& other);
    ProfileInt(ProfileInt&& other) noexcept;
    ProfileInt& operator=(const ProfileInt& other);
    ProfileInt& operator=(ProfileInt&& other) noexcept;
    virtual ~ProfileInt();

    // The record's text is unsigned hexadecimal ("50", "0x1F", "ffffffff");
    // an empty or absent text keeps the default.
    void init(const ProfileRecord& record, const wchar_t* key, int defaultValue);
    void init(const wchar_t* section, const wchar_t* key, int defaultValue);
    // "key=%08x", only when the value differs from the default.
    void save(CStdioFile& file) const;
    void save(const wchar_t* section) const;

    operator int() const { return m_value; }
    ProfileInt& operator=(int value);

    const CString& GetName() const { return m_name; }
    int GetDefault() const { return m_default; }

protected:
    CString m_name;
    int m_value;
    int m_default;
};

class TESSARO_API ProfileColorref : public ProfileInt {
public:
    ProfileColorref();
    ProfileColorref(const wchar_t* name, COLORREF defaultValue);
    ProfileColorref(const ProfileColorref& other);
    ProfileColorref(ProfileColorref&& other) noexcept;
    ProfileColorref& operator=(const ProfileColorref& other);
    ProfileColorref& operator=(ProfileColorref&& other) noexcept;
    ~ProfileColorref() override;

    operator unsigned long() const { return static_cast<unsigned long>(static_cast<uint32_t>(m_value)); }
    ProfileColorref& operator=(unsigned long value);
};

class TESSARO_API ProfileDouble {
public:
    ProfileDouble();
    explicit ProfileDouble(const wchar_t* name, double value = 0.0);
    ProfileDouble(const ProfileDouble& other);
    ProfileDouble(ProfileDouble&& other) noexcept;
    ProfileDouble& operator=(const ProfileDouble& other);
    ProfileDouble& operator=(ProfileDouble&& other) noexcept;
    virtual ~ProfileDouble();

    // value × 1000 rounded half away from zero, saturated to 32 bits.
    static int ToThousandths(double value);

    void init(const ProfileRecord& record, const wchar_t* key, double defaultValue);
    void init(const wchar_t* section, const wchar_t* key, double defaultValue);
    // "key=%08x" of the thousandths, always.
    void save(CStdioFile& file) const;
    void save(const wchar_t* section) const;

    operator double() const { return m_value; }
    ProfileDouble& operator=(double value);

    const CString& GetName() const { return m_name; }

protected:
    CString m_name;
    double m_value;
};

class TESSARO_API ProfileString {
public:
    // Longest value written to a text file, in UTF-16 units.
    static constexpr int kMaxTextFileLength = 8000;

    ProfileString();
    ProfileString(const wchar_t* name, const wchar_t* defaultValue);
    ProfileString(const ProfileString& other);
    ProfileString(ProfileString&& other) noexcept;
    ProfileString& operator=(const ProfileString& other);
    ProfileString& operator=(ProfileString&& other) noexcept;
    virtual ~ProfileString();

    // Only a non-empty text in the record replaces the default.
    void init(const ProfileRecord& record, const wchar_t* key, const wchar_t* defaultValue);
    void init(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue);
    // Name and default, value set to the default; nothing is looked up.
    void init(const wchar_t* key, const wchar_t* defaultValue);
    // "key=value" with the value cut to kMaxTextFileLength units, only when the
    // value differs from the default.
    void save(CStdioFile& file) const;
    // The whole value.
    void save(const wchar_t* section) const;

    ProfileString& operator=(const CString& value);
    ProfileString& operator=(const wchar_t* value);
    operator const CString&() const { return m_value; }
    const CString& GetValue() const { return m_value; }
    const CString& GetName() const { return m_name; }
    const CString& GetDefault() const { return m_default; }

protected:
    CString m_value;
    CString m_name;
    CString m_default;
};

class TESSARO_API ProfileLogfont {
public:
    ProfileLogfont();
    ProfileLogfont(const ProfileLogfont& other);
    ProfileLogfont& operator=(const ProfileLogfont& other);
    virtual ~ProfileLogfont();

    // The record's text form, else defaultText, parsed into the font.
    void init(const ProfileRecord& record, const wchar_t* key, const wchar_t* defaultText);
    // The record's text form if it has one; otherwise a fixed-pitch font of
    // the face and pixel height (at 96 dots per inch) given.
    void init(const ProfileRecord& record, const wchar_t* key, const wchar_t* faceName, int height);
    void init(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText);
    // Both rebuild the text form from m_logFont and m_size first.
    void save(CStdioFile& file);
    void save(const wchar_t* section);

    // Sets the text form and parses it into the font.
    ProfileLogfont& operator=(const wchar_t* text);
    // Nonzero when any of the LOGFONTW's bytes differ, the whole face-name array included.
    int operator!=(const LOGFONTW& other) const;

    // The text form as last parsed or rebuilt.
    const CString& GetText() const { return m_text.GetValue(); }

    LOGFONTW m_logFont;
    // Size in tenths of a point.
    int m_size;

private:
    void ParseText(const wchar_t* text);
    void RebuildText();

    ProfileString m_text;
};
