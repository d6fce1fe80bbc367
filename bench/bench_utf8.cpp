// UTF-8 conversion against the platform's converter (code page CP_UTF8), on plain
// ASCII text and on mixed text (accented Latin, Cyrillic, CJK, emoji, ASCII words).
// Throughput is counted in UTF-8 bytes both ways.
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/harness/BenchHarness.h"
#include "foundation/ZUTF8.h"

namespace {

constexpr size_t kTextBytes = 256 * 1024;

// Lines of words drawn from `words` with a fixed seed, until `bytes` bytes.
std::string MakeText(const std::vector<std::string>& words, size_t bytes)
{
    std::mt19937 random(20261206);
    std::uniform_int_distribution<size_t> pick(0, words.size() - 1);
    std::string text;
    size_t lineLength = 0;
    while (text.size() < bytes) {
        const std::string& word = words[pick(random)];
        text += word;
        lineLength += word.size() + 1;
        if (lineLength > 72) {
            text += "\r\n";
            lineLength = 0;
        } else {
            text += ' ';
        }
    }
    return text;
}

struct Texts {
    std::string name;
    std::string utf8;
    std::wstring utf16;
};

std::wstring PlatformDecode(const std::string& in)
{
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), out.data(), units);
    return out;
}

std::string PlatformEncode(const std::wstring& in)
{
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), out.data(), bytes, nullptr, nullptr);
    return out;
}

void CompareConversions(Bench::Harness& harness, const Texts& t)
{
    const std::string& utf8 = t.utf8;
    const std::wstring& utf16 = t.utf16;
    const int utf8Size = static_cast<int>(utf8.size());
    const int utf16Size = static_cast<int>(utf16.size());
    std::vector<wchar_t> wide(utf16.size());
    std::vector<char> narrow(utf8.size());

    harness.Compare("decode " + t.name, utf8.size(),
        {"MultiByteToWideChar", [&] {
             return static_cast<size_t>(
                 ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), utf8Size, wide.data(), utf16Size));
         }},
        {{"ZDecodeUTF8 into a buffer", [&] {
             size_t used = 0;
             return ZDecodeUTF8(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), used,
                                wide.data(), wide.size());
         }}});
    harness.Compare("measure " + t.name + " as UTF-16", utf8.size(),
        {"MultiByteToWideChar", [&] {
             return static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), utf8Size, nullptr, 0));
         }},
        {{"ZDecodeUTF8 without output", [&] {
             size_t used = 0;
             return ZDecodeUTF8(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), used, nullptr, 0);
         }}});
    harness.Compare("decode " + t.name + " to string", utf8.size(),
        {"MultiByteToWideChar twice", [&] { return PlatformDecode(utf8).size(); }},
        {{"ZDecodeUTF8 to std::wstring", [&] { return ZDecodeUTF8(utf8.data(), utf8.size()).size(); }}});
    harness.Compare("encode " + t.name, utf8.size(),
        {"WideCharToMultiByte", [&] {
             return static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), utf16Size, narrow.data(),
                                                              utf8Size, nullptr, nullptr));
         }},
        {{"ZEncodeUTF8 into a buffer", [&] {
             return ZEncodeUTF8(utf16.data(), utf16.size(), reinterpret_cast<unsigned char*>(narrow.data()),
                                narrow.size(), nullptr);
         }}});
    harness.Compare("measure " + t.name + " as UTF-8", utf8.size(),
        {"WideCharToMultiByte", [&] {
             return static_cast<size_t>(
                 ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), utf16Size, nullptr, 0, nullptr, nullptr));
         }},
        {{"ZEncodeUTF8 without output", [&] { return ZEncodeUTF8(utf16.data(), utf16.size(), nullptr, 0, nullptr); }}});
    harness.Compare("encode " + t.name + " to string", utf8.size(),
        {"WideCharToMultiByte twice", [&] { return PlatformEncode(utf16).size(); }},
        {{"ZEncodeUTF8 to std::string", [&] { return ZEncodeUTF8(utf16.data(), utf16.size()).size(); }}});
}

}  // namespace

int main(int argc, char** argv)
{
    Bench::Harness harness("bench_utf8", argc, argv);

    const std::vector<std::string> asciiWords = {
        "the", "session", "server", "connection", "was", "closed", "by", "remote", "host", "file",
        "transfer", "completed", "in", "seconds", "port", "22", "user", "login:", "error", "(0x2)", "ok.",
    };
    const std::vector<std::string> mixedWords = {
        "café", "naïve", "Straße", "größer", "élève", "déjà", "señor", "Łódź", "crème", "Ærøskøbing",
        "Привет", "мир", "данные", "сервер", "файл", "соединение",
        "日本語", "文字化け", "中文", "服务器", "한국어", "接続",
        "😀", "🚀", "👍", "🎉",
        "the", "server", "file", "session", "ok",
    };
    std::vector<Texts> texts;
    for (const auto& [name, words] : {std::pair{"ASCII", asciiWords}, std::pair{"mixed", mixedWords}}) {
        Texts t{name, MakeText(words, kTextBytes), L""};
        t.utf16 = PlatformDecode(t.utf8);
        // Both converters must produce the same text, or the comparison means nothing.
        if (ZDecodeUTF8(t.utf8.data(), t.utf8.size()) != t.utf16 ||
            ZEncodeUTF8(t.utf16.data(), t.utf16.size()) != PlatformEncode(t.utf16)) {
            std::fprintf(stderr, "bench_utf8: conversions of the %s text disagree with the platform\n", name);
            return 1;
        }
        texts.push_back(std::move(t));
    }
    for (const Texts& t : texts) CompareConversions(harness, t);
    return harness.Finish();
}
