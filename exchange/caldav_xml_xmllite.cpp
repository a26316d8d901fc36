// The servers' replies read with XmlLite, the XML reader every Windows
// has. Its DLL has no import library in mingw-w64: it is loaded by name,
// from the system's folder only.
#include <windows.h>
// After windows.h, which they need.
#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <climits>
#include <vector>

#include "core/platform/windows/windows_text.h"
#include "exchange/caldav_xml_tree.h"

namespace tessaly::detail {

namespace {

using Create_Reader_Function = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

Create_Reader_Function Reader_Factory() {
    static const Create_Reader_Function factory = []() -> Create_Reader_Function {
        const HMODULE library =
            ::LoadLibraryExW(L"xmllite.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (library == nullptr) {
            return nullptr;
        }
        return reinterpret_cast<Create_Reader_Function>(
            reinterpret_cast<void*>(::GetProcAddress(library, "CreateXmlReader")));
    }();
    return factory;
}

// Releases a COM object when it goes.
template <typename Interface>
class Com_Pointer {
public:
    Com_Pointer() = default;
    ~Com_Pointer() {
        if (pointer_ != nullptr) {
            pointer_->Release();
        }
    }
    Com_Pointer(const Com_Pointer&) = delete;
    Com_Pointer& operator=(const Com_Pointer&) = delete;
    Interface* operator->() const { return pointer_; }
    Interface* Get() const { return pointer_; }
    Interface** Out() { return &pointer_; }
    void Reset(Interface* pointer) { pointer_ = pointer; }

private:
    Interface* pointer_ = nullptr;
};

std::string Local_Name(IXmlReader& reader) {
    const WCHAR* name = nullptr;
    UINT length = 0;
    if (FAILED(reader.GetLocalName(&name, &length)) || name == nullptr) {
        return {};
    }
    return Utf8_From_Wide(std::wstring_view(name, length));
}

std::string Namespace_Uri(IXmlReader& reader) {
    const WCHAR* uri = nullptr;
    UINT length = 0;
    if (FAILED(reader.GetNamespaceUri(&uri, &length)) || uri == nullptr) {
        return {};
    }
    return Utf8_From_Wide(std::wstring_view(uri, length));
}

std::string Value(IXmlReader& reader) {
    const WCHAR* value = nullptr;
    UINT length = 0;
    if (FAILED(reader.GetValue(&value, &length)) || value == nullptr) {
        return {};
    }
    return Utf8_From_Wide(std::wstring_view(value, length));
}

std::string Name_Attribute(IXmlReader& reader) {
    std::string name;
    for (HRESULT at = reader.MoveToFirstAttribute(); at == S_OK;
         at = reader.MoveToNextAttribute()) {
        if (Local_Name(reader) == "name" && Namespace_Uri(reader).empty()) {
            name = Value(reader);
        }
    }
    reader.MoveToElement();
    return name;
}

}  // namespace

Xml_Tree Read_Xml_Tree(std::string_view xml) {
    if (xml.size() > UINT_MAX) {
        Broken_Xml_Reply("it is too long");
    }
    const Create_Reader_Function create = Reader_Factory();
    if (create == nullptr) {
        Broken_Xml_Reply("the system's XML reader, xmllite.dll, could not be loaded");
    }
    Com_Pointer<IXmlReader> reader;
    if (FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.Out()), nullptr))) {
        Broken_Xml_Reply("the system's XML reader could not be started");
    }
    Com_Pointer<IStream> input;
    input.Reset(::SHCreateMemStream(reinterpret_cast<const BYTE*>(xml.data()),
                                    static_cast<UINT>(xml.size())));
    if (input.Get() == nullptr) {
        Broken_Xml_Reply("it does not fit in memory");
    }
    // A document type is refused: its entities could read files or swell
    // without end.
    if (FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) ||
        FAILED(reader->SetInput(input.Get()))) {
        Broken_Xml_Reply("the system's XML reader refused it");
    }

    Xml_Tree tree;
    std::vector<Xml_Element*> open;
    XmlNodeType type = XmlNodeType_None;
    HRESULT result = S_OK;
    while ((result = reader->Read(&type)) == S_OK) {
        switch (type) {
            case XmlNodeType_Element: {
                if (open.empty() && tree.Root != nullptr) {
                    Broken_Xml_Reply("it is not well-formed XML");
                }
                if (static_cast<int>(open.size()) >= Max_Xml_Depth) {
                    Broken_Xml_Reply("it is nested too deeply");
                }
                // Asked before the attributes are visited, which moves the reader.
                const bool empty = reader->IsEmptyElement() != FALSE;
                Xml_Element* element = tree.Add(open.empty() ? nullptr : open.back());
                if (tree.Root == nullptr) {
                    tree.Root = element;
                }
                element->Space = Namespace_Uri(*reader.Get());
                element->Name = Local_Name(*reader.Get());
                element->Name_Attribute = Name_Attribute(*reader.Get());
                if (!empty) {
                    open.push_back(element);
                }
                break;
            }
            case XmlNodeType_EndElement:
                if (!open.empty()) {
                    open.pop_back();
                }
                break;
            case XmlNodeType_Text:
            case XmlNodeType_CDATA:
            case XmlNodeType_Whitespace:
                if (!open.empty()) {
                    open.back()->Text += Value(*reader.Get());
                }
                break;
            case XmlNodeType_DocumentType:
                Broken_Xml_Reply("it declares a document type");
            default:
                break;
        }
    }
    if (FAILED(result)) {
        Broken_Xml_Reply("it is not well-formed XML");
    }
    if (tree.Root == nullptr || !open.empty()) {
        Broken_Xml_Reply("it is not well-formed XML");
    }
    return tree;
}

}  // namespace tessaly::detail
