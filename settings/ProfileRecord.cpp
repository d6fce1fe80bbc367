#include "settings/ProfileRecord.h"

#include "settings/ZTextFile.h"

ProfileRecord::ProfileRecord(size_t bucketCount) : m_entries(bucketCount) {}

ProfileRecord::ProfileRecord(const ProfileRecord& other) = default;

// ZMap has no move of its own; a copy keeps the source's bucket count.
ProfileRecord::ProfileRecord(ProfileRecord&& other) : m_entries(other.m_entries) {}

ProfileRecord& ProfileRecord::operator=(const ProfileRecord& other) = default;

ProfileRecord& ProfileRecord::operator=(ProfileRecord&& other)
{
    m_entries = other.m_entries;
    return *this;
}

ProfileRecord::~ProfileRecord() = default;

ZUnicodeString ProfileRecord::load(ZTextFile& file)
{
    ZUnicodeString line;
    if (!file.ReadLine(line) || line.empty() || line[0] != L'[')
        return ZUnicodeString();

    const size_t close = line.rfind(L']');
    const ZUnicodeString name =
        close == ZUnicodeString::npos ? line.substr(1) : line.substr(1, close - 1);

    m_entries.RemoveAll();
    while (file.ReadLine(line)) {
        const size_t equals = line.find(L'=');
        if (equals == ZUnicodeString::npos)
            break;  // the section's ending line, consumed with it
        m_entries[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return name;
}

ZUnicodeString& ProfileRecord::operator[](const ZUnicodeString& key)
{
    return m_entries[key];
}

ZUnicodeString ProfileRecord::operator[](const ZUnicodeString& key) const
{
    const ZUnicodeString* value = m_entries.Lookup(key);
    return value ? *value : ZUnicodeString();
}
