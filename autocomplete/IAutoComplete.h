// The three interfaces of auto-completion.
//
//   IAutoCompleteDataSource  the host's provider: asked for the completions of a
//                            text, it answers then or later, on any thread
//   IAutoCompleteDataSink    where the provider answers (ZAutoCompleteBase)
//   IAutoCompleteSink        the host's receiver of accepted text; plain, not
//                            reference counted
//
// The slot order is part of the binary contract with the hosts.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>
#include <vector>

class IAutoCompleteDataSink;
class ZAutoCompleteBase;

class IAutoCompleteDataSource : public IUnknown {
public:
    // Answers through sink->OnAutoComplete; the result is not used.
    virtual HRESULT RequestCompletions(const wchar_t* text, IAutoCompleteDataSink* sink) = 0;
};

class IAutoCompleteDataSink : public IUnknown {
public:
    virtual void OnAutoComplete(const wchar_t* text, const std::vector<std::wstring>& completions,
                                IAutoCompleteDataSource* source) = 0;
};

class IAutoCompleteSink {
public:
    // fromList: the text is a completion the user chose; alt, control and
    // shift: the modifier keys held at that moment.
    virtual bool Accept(const wchar_t* text, bool fromList, bool alt, bool control, bool shift,
                        ZAutoCompleteBase* autoComplete) = 0;

protected:
    ~IAutoCompleteSink() = default;
};
