// IReportMessageParams: the report of a message (identifier, module, inserts),
// formatted on demand and cached. Reports cross the library's boundary by this
// interface; hosts and the library implement it with ZReportMessageParams.
//
// The order of the virtual operations is part of the binary contract with the
// hosts: add nothing in between.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstdint>
#include <string>

#include "foundation/ZArray.h"
#include "foundation/ZUnicodeString.h"

class IReportMessageParams : public IUnknown {
public:
    // Identifier := id, module := the library, no inserts, no origin, auxiliary
    // value 0, cache dropped. The auxiliary code stays.
    virtual void Reset(uint32_t id) = 0;
    // Copies another ZReportMessageParams and returns this report; anything
    // else leaves this report as it is and gives null.
    virtual IReportMessageParams* Assign(const IReportMessageParams* other) = 0;

    virtual uint32_t GetMessageId() const = 0;
    // Changes only the identifier: a text already cached stays.
    virtual void SetMessageId(uint32_t id) = 0;
    virtual uint32_t GetAuxCode() const = 0;
    virtual void SetAuxCode(uint32_t code) = 0;
    virtual uint64_t GetAuxValue() const = 0;
    virtual void SetAuxValue(uint64_t value) = 0;

    // Inserts replace %1, %2, ... in order. Narrow texts are in the thread's
    // ANSI code page; a null text is an empty insert.
    virtual void AddInsert(const std::wstring& text) = 0;
    virtual void AddInsert(const wchar_t* text) = 0;
    virtual void AddInsert(const std::string& text) = 0;
    virtual void AddInsert(const char* text) = 0;
    // value rendered by a pattern such as L"%1!d!" or L"%1!I64u!".
    virtual void AddFormattedInsert(const wchar_t* pattern, uint32_t value) = 0;
    virtual void AddFormattedInsert(const wchar_t* pattern, uint64_t value) = 0;

    virtual HMODULE GetModule() const = 0;

    // The getters format once and cache: later calls of any of them return the
    // cache, whatever width the first call chose. The pointers stay valid until
    // the report changes or dies.
    virtual const wchar_t* GetText() const = 0;
    // Drops one final "\r\n" from the cache per call.
    virtual const wchar_t* GetTextNoFinalBreak() = 0;
    // Soft line breaks of the table become blanks.
    virtual const wchar_t* GetSingleLineText() const = 0;
    // Drops one final blank from the cache per call.
    virtual const wchar_t* GetSingleLineTextTrimmed() = 0;
    // This report's text wrapped by message wrapperId together with the origin
    // (text and number) when the host has set one; else GetText.
    virtual const wchar_t* GetTextWithOrigin(uint32_t wrapperId) = 0;
    // Characters in the cache; 0 before the first getter.
    virtual uint64_t GetTextLength() const = 0;
    virtual const ZStringArray& GetInserts() const = 0;

    virtual ~IReportMessageParams() = default;

protected:
    virtual void DeleteThis() = 0;
};
