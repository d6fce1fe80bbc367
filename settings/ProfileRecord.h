// ProfileRecord: one section of a profile text file, as a map from key to the
// raw text of its value. A section is a header line "[name]" followed by
// "key=value" lines; it ends at the first line without "=" (which is consumed)
// or at the end of the file. Keys and values are kept exactly as they stood,
// blanks included, and compare code unit by code unit.
//
//   [Window]
//   Columns=00000050
//   Title=a=b
//   <empty line>
#pragma once

#include <cstddef>

#include "foundation/TessaroApi.h"
#include "foundation/ZMap.h"
#include "foundation/ZUnicodeString.h"

class ZTextFile;

class TESSARO_API ProfileRecord {
public:
    static constexpr size_t kDefaultBucketCount = 100;

    explicit ProfileRecord(size_t bucketCount = kDefaultBucketCount);
    ProfileRecord(const ProfileRecord& other);
    ProfileRecord(ProfileRecord&& other);
    ProfileRecord& operator=(const ProfileRecord& other);
    ProfileRecord& operator=(ProfileRecord&& other);
    ~ProfileRecord();

    // Reads the next section and returns its name (the text between "[" and
    // the line's last "]"). At the end of the file, or when the first line read
    // is not a header, returns an empty name and leaves the record unchanged;
    // otherwise the record holds exactly the section's entries.
    ZUnicodeString load(ZTextFile& file);

    // The value under key, inserted empty when absent.
    ZUnicodeString& operator[](const ZUnicodeString& key);
    // The value under key, or an empty string; never inserts.
    ZUnicodeString operator[](const ZUnicodeString& key) const;

    size_t GetCount() const { return m_entries.GetCount(); }
    size_t GetBucketCount() const { return m_entries.GetBucketCount(); }

private:
    ZMap<ZUnicodeString, ZUnicodeString> m_entries;
};
