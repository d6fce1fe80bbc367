#include "settings/ZXtXmlMigrator.h"

#include <msxml2.h>
#include <oleauto.h>

#include <climits>
#include <utility>

#include "controls/ZMnemonic.h"

namespace {

// DOMDocument30, the MSXML 3.0 document, and the interfaces asked of it.
constexpr CLSID kDomDocument30 = {0xF5078F32, 0xC551, 0x11D3, {0x89, 0xB9, 0x00, 0x00, 0xF8, 0x1F, 0xE2, 0x21}};
constexpr IID kXmlDomDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kXmlDomDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kXmlDomElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// Owns one reference to a COM object.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    T* operator->() const { return m_object; }
    T* Get() const { return m_object; }
    // For out-parameters: releases what was held first.
    T** Receive()
    {
        Reset();
        return &m_object;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    void Reset()
    {
        if (m_object)
            m_object->Release();
        m_object = nullptr;
    }

private:
    T* m_object = nullptr;
};

class Bstr {
public:
    explicit Bstr(const wchar_t* text) : m_text(::SysAllocString(text)) {}
    ~Bstr() { ::SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return m_text; }

private:
    BSTR m_text;
};

class Variant {
public:
    Variant() { ::VariantInit(&m_value); }
    ~Variant() { ::VariantClear(&m_value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* Get() { return &m_value; }

private:
    VARIANT m_value;
};

void TraceFailure(const wchar_t* call, HRESULT result)
{
    ZUnicodeString message;
    if (message.Format(L"%1: %2!d!\n", call, static_cast<int>(result)))
        TRACE(L"%ls", message.c_str());
}

bool EqualsIgnoringCase(const std::wstring& text, const wchar_t* expected)
{
    return ::CompareStringOrdinal(text.c_str(), static_cast<int>(text.size()), expected, -1, TRUE) == CSTR_EQUAL;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// Nothing outside the file is fetched, and where the parser can, a document
// type is refused while parsing; the check after loading covers parsers that
// ignore the property.
void ForbidDocumentTypes(IXMLDOMDocument* document)
{
    HRESULT result = document->put_resolveExternals(VARIANT_FALSE);
    if (FAILED(result))
        TraceFailure(L"put_resolveExternals failed", result);
    ComRef<IXMLDOMDocument2> document2;
    if (FAILED(document->QueryInterface(kXmlDomDocument2, document2.ReceiveVoid())) || !document2.Get())
        return;
    Bstr name(L"ProhibitDTD");
    if (!name.Get())
        return;
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_BOOL;
    value.boolVal = VARIANT_TRUE;
    result = document2->setProperty(name.Get(), value);
    if (FAILED(result))
        TraceFailure(L"setProperty ProhibitDTD failed", result);
}

}  // namespace

namespace Tessaro {

std::optional<int> ParseXtNumber(std::wstring_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+'))
        negative = text[i++] == L'-';
    if (i >= text.size() || text[i] < L'0' || text[i] > L'9')
        return std::nullopt;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace Tessaro

// Only the attributes the migration looks at are read; one the DOM does not
// deliver counts as absent.
class ZXtXmlMigrator::Attributes {
public:
    explicit Attributes(IXMLDOMNamedNodeMap* map) : m_map(map) {}

    std::optional<std::wstring> Text(const wchar_t* name) const
    {
        if (!m_map)
            return std::nullopt;
        Bstr attributeName(name);
        ComRef<IXMLDOMNode> node;
        if (!attributeName.Get() || m_map->getNamedItem(attributeName.Get(), node.Receive()) != S_OK || !node.Get())
            return std::nullopt;
        Variant value;
        if (FAILED(node->get_nodeValue(value.Get())) || value.Get()->vt != VT_BSTR)
            return std::nullopt;
        const BSTR text = value.Get()->bstrVal;
        return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
    }

    std::optional<int> Number(const wchar_t* name) const
    {
        const std::optional<std::wstring> text = Text(name);
        return text ? Tessaro::ParseXtNumber(*text) : std::nullopt;
    }

    bool Is(const wchar_t* name, const wchar_t* expected) const
    {
        const std::optional<std::wstring> text = Text(name);
        return text && *text == expected;
    }

private:
    IXMLDOMNamedNodeMap* m_map;
};

namespace {

// The node's attributes; absent (a null map) when the DOM does not deliver them.
bool ReadAttributes(IXMLDOMNode* node, ComRef<IXMLDOMNamedNodeMap>& map)
{
    const HRESULT result = node->get_attributes(map.Receive());
    if (FAILED(result)) {
        TraceFailure(L"ProcessNodeControls::get_attributes failed", result);
        return false;
    }
    return map.Get() != nullptr;
}

// Detaches the popup's handle, which the menu it was appended to owns.
void ReleaseWrapper(CMenu* menu)
{
    menu->Detach();
    delete menu;
}

}  // namespace

ZXtXmlMigrator::ZXtXmlMigrator(ZUnicodeString xmlPath, CMenu* menu, CBCGPToolBar* toolbar, CMenu* themesMenu,
                               CMenu* windowMenu, ZMap<unsigned, int> imageMap)
    : m_menu(menu),
      m_toolbar(toolbar),
      m_themesMenu(themesMenu),
      m_windowMenu(windowMenu),
      m_imageMap(std::move(imageMap))
{
    Migrate(xmlPath);
}

ZXtXmlMigrator::~ZXtXmlMigrator() = default;

void ZXtXmlMigrator::Migrate(const ZUnicodeString& xmlPath)
{
    ComRef<IXMLDOMDocument> document;
    HRESULT result =
        ::CoCreateInstance(kDomDocument30, nullptr, CLSCTX_INPROC_SERVER, kXmlDomDocument, document.ReceiveVoid());
    if (FAILED(result) || !document.Get()) {
        TraceFailure(L"ZXtXmlMigrator CoCreateInstance failed", result);
        return;
    }
    result = document->put_async(VARIANT_FALSE);
    if (FAILED(result))
        TraceFailure(L"put_async failed", result);
    result = document->put_validateOnParse(VARIANT_TRUE);
    if (FAILED(result))
        TraceFailure(L"put_validateOnParse failed", result);
    ForbidDocumentTypes(document.Get());

    Bstr path(xmlPath.c_str());
    if (!path.Get())
        return;
    VARIANT source;
    ::VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = path.Get();  // borrowed: not cleared
    VARIANT_BOOL parsed = VARIANT_FALSE;
    if (document->load(source, &parsed) != S_OK || parsed != VARIANT_TRUE)
        return;
    // Layout files never declare a document type. One that does is refused
    // before any attribute is read: entities are expanded as values are read,
    // and a few declarations can grow into gigabytes.
    ComRef<IXMLDOMDocumentType> doctype;
    if (FAILED(document->get_doctype(doctype.Receive())) || doctype.Get())
        return;

    m_loaded = true;
    MigrateBars(document.Get());
}

void ZXtXmlMigrator::MigrateBars(IXMLDOMDocument* document)
{
    Bstr tag(L"CommandBar");
    ComRef<IXMLDOMNodeList> bars;
    HRESULT result = tag.Get() ? document->getElementsByTagName(tag.Get(), bars.Receive()) : E_OUTOFMEMORY;
    if (FAILED(result) || !bars.Get()) {
        TraceFailure(L"ProcessNodeControls::getElementsByTagName failed", result);
        return;
    }
    long count = 0;
    if (FAILED(bars->get_length(&count)))
        return;
    for (long i = 0; i < count; ++i) {
        ComRef<IXMLDOMNode> bar;
        result = bars->get_item(i, bar.Receive());
        if (FAILED(result) || !bar.Get()) {
            TraceFailure(L"ProcessNodeControls::get_item failed", result);
            continue;
        }
        ProcessNodeControls(bar.Get());
    }
}

void ZXtXmlMigrator::ProcessNodeControls(IXMLDOMNode* bar)
{
    ComRef<IXMLDOMElement> element;
    HRESULT result = bar->QueryInterface(kXmlDomElement, element.ReceiveVoid());
    if (FAILED(result) || !element.Get()) {
        TraceFailure(L"ProcessNodeControls::QueryInterface failed", result);
        return;
    }
    ComRef<IXMLDOMNamedNodeMap> barMap;
    ReadAttributes(bar, barMap);
    ChooseTarget(Attributes(barMap.Get()));

    Bstr tag(L"Control");
    ComRef<IXMLDOMNodeList> controls;
    result = tag.Get() ? element->getElementsByTagName(tag.Get(), controls.Receive()) : E_OUTOFMEMORY;
    if (FAILED(result) || !controls.Get()) {
        TraceFailure(L"ProcessNodeControls::getElementsByTagName failed", result);
        return;
    }
    long count = 0;
    if (FAILED(controls->get_length(&count)))
        return;
    for (long i = 0; i < count; ++i) {
        ComRef<IXMLDOMNode> control;
        result = controls->get_item(i, control.Receive());
        if (FAILED(result) || !control.Get()) {
            TraceFailure(L"ProcessNodeControls::get_item failed", result);
            continue;
        }
        ComRef<IXMLDOMNamedNodeMap> controlMap;
        ReadAttributes(control.Get(), controlMap);
        ProcessControl(Attributes(controlMap.Get()));
    }
}

void ZXtXmlMigrator::ChooseTarget(const Attributes& bar)
{
    m_toolbarMode = false;
    m_target.reset();
    if (bar.Is(L"Type", L"0")) {
        // The host owns the main menu: shared without an owner.
        m_target = std::shared_ptr<CMenu>(std::shared_ptr<CMenu>(), m_menu);
        return;
    }
    const std::optional<std::wstring> barClass = bar.Text(L"Class");
    if (barClass && EqualsIgnoringCase(*barClass, L"CXTPToolBar")) {
        m_toolbarMode = true;
        if (m_toolbar)
            m_toolbar->RemoveAllButtons();
        return;
    }
    const std::optional<std::wstring> barId = bar.Text(L"BarID");
    if (!barId)
        return;
    if (const std::shared_ptr<CMenu>* popup = m_popups.Lookup(ZUnicodeString(barId->c_str(), barId->size())))
        m_target = *popup;
}

void ZXtXmlMigrator::ProcessControl(const Attributes& control)
{
    if (!m_target && !m_toolbarMode)
        return;

    if (control.Number(L"BeginGroup") == 1) {
        if (m_target)
            m_target->AppendMenu(MF_SEPARATOR);
        if (m_toolbarMode && m_toolbar)
            m_toolbar->InsertSeparator(-1);
    }

    const std::optional<std::wstring> caption = control.Text(L"Caption");
    const std::optional<std::wstring> customCaption = control.Text(L"CustomCaption");
    if (control.Is(L"Type", L"2") && m_target && (caption || customCaption)) {
        const std::optional<std::wstring> key = control.Text(L"CommandBarId");
        if (key && Tessaro::ParseXtNumber(*key))
            AppendPopup(control, *key);
        return;
    }

    const std::optional<int> id = control.Number(L"Id");
    if (!id)
        return;
    if (!m_toolbarMode) {
        const std::wstring text = customCaption ? *customCaption : caption ? *caption : std::wstring();
        m_target->AppendMenu(MF_STRING, static_cast<UINT>(*id), text.c_str());
        return;
    }
    const std::optional<std::wstring> hideFlags = control.Text(L"HideFlags");
    if (!hideFlags || hideFlags->empty())
        AppendToolbarButton(control, *id);
}

bool ZXtXmlMigrator::AppendPopup(const Attributes& control, const std::wstring& key)
{
    const std::optional<std::wstring> caption = control.Text(L"Caption");
    const std::optional<std::wstring> customCaption = control.Text(L"CustomCaption");
    const std::wstring& preferred = customCaption ? *customCaption : *caption;
    const std::wstring& original = caption ? *caption : *customCaption;

    const std::wstring plain = RemoveAmpersand(original.c_str()).c_str();
    CMenu* readyMade = EqualsIgnoringCase(plain, L"Themes")   ? m_themesMenu
                       : EqualsIgnoringCase(plain, L"Window") ? m_windowMenu
                                                              : nullptr;
    if (readyMade) {
        // The host fills these menus itself; they never become targets.
        return readyMade->GetSafeHmenu() &&
               m_target->AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(readyMade->GetSafeHmenu()),
                                    original.c_str());
    }

    std::shared_ptr<CMenu> popup(new CMenu, ReleaseWrapper);
    if (!popup->CreateMenu()) {
        popup.reset();
        return false;
    }
    if (!m_target->AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup->GetSafeHmenu()), preferred.c_str())) {
        // Not appended, so no menu owns it: destroy it rather than leak it.
        popup->DestroyMenu();
        return false;
    }
    m_popups.SetAt(ZUnicodeString(key.c_str(), key.size()), popup);
    return true;
}

void ZXtXmlMigrator::AppendToolbarButton(const Attributes& control, int id)
{
    if (!m_toolbar)
        return;
    CBCGPToolbarButton button(static_cast<UINT>(id), -1);
    button.EnableWindow(TRUE);
    int image = -1;
    if (m_imageMap.Lookup(static_cast<unsigned>(id), image)) {
        button.SetImage(image);
    } else if (const std::optional<std::wstring> caption = control.Text(L"Caption")) {
        button.m_strText = caption->c_str();
        button.m_bText = TRUE;
    }
    m_toolbar->InsertButton(button, -1);
}
