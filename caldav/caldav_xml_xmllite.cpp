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

#include "caldav/caldav_xml_tree.h"
#include "core/platform/windows/windows_text.h"

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
    if (length > Max_Xml_Namespace_Length) {
        Broken_Xml_Reply("it names a namespace too long");
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

std::string Prefix(IXmlReader& reader) {
    const WCHAR* prefix = nullptr;
    UINT length = 0;
    if (FAILED(reader.GetPrefix(&prefix, &length)) || prefix == nullptr) {
        return {};
    }
    return Utf8_From_Wide(std::wstring_view(prefix, length));
}

bool Is_Space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool Is_Digit(char c, bool hexadecimal) {
    return (c >= '0' && c <= '9') ||
           (hexadecimal && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
}

// Some readers (Wine's among them) keep a reference they cannot resolve as
// text: every one outside CDATA, comments and instructions must be one of
// XML's own or a character's.
bool References_Are_Xmls(std::string_view xml) {
    std::size_t at = 0;
    while (at < xml.size()) {
        if (xml.compare(at, 9, "<![CDATA[") == 0) {
            at = xml.find("]]>", at);
        } else if (xml.compare(at, 4, "<!--") == 0) {
            at = xml.find("-->", at);
        } else if (xml.compare(at, 2, "<?") == 0) {
            at = xml.find("?>", at);
        } else if (xml[at] == '&') {
            const std::size_t end = xml.find(';', at);
            if (end == std::string_view::npos) {
                return false;
            }
            const std::string_view name = xml.substr(at + 1, end - at - 1);
            if (name.starts_with('#')) {
                const bool hexadecimal = name.starts_with("#x");
                const std::string_view digits = name.substr(hexadecimal ? 2 : 1);
                unsigned long code = 0;
                for (const char c : digits) {
                    if (!Is_Digit(c, hexadecimal) || code > 0x10FFFF) {
                        return false;
                    }
                    code = code * (hexadecimal ? 16 : 10) +
                           static_cast<unsigned long>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
                }
                if (digits.empty() || code == 0 || code > 0x10FFFF ||
                    (code >= 0xD800 && code <= 0xDFFF)) {
                    return false;
                }
            } else if (name != "amp" && name != "lt" && name != "gt" && name != "quot" &&
                       name != "apos") {
                return false;
            }
            at = end;
        }
        if (at == std::string_view::npos) {
            return false;
        }
        ++at;
    }
    return true;
}

// Whether the text ends with the root's end tag (or the root is an empty
// element), comments and white space aside: some readers (Wine's among
// them) close what a cut-off reply left open.
bool Ends_With_Root(std::string_view xml, const std::string& root, bool empty_root) {
    for (;;) {
        while (!xml.empty() && Is_Space(xml.back())) {
            xml.remove_suffix(1);
        }
        if (xml.ends_with("-->") && xml.rfind("<!--") != std::string_view::npos) {
            xml = xml.substr(0, xml.rfind("<!--"));
        } else if (xml.ends_with("?>") && xml.rfind("<?") != std::string_view::npos) {
            xml = xml.substr(0, xml.rfind("<?"));
        } else {
            break;
        }
    }
    if (empty_root) {
        return xml.ends_with("/>");
    }
    if (!xml.ends_with('>')) {
        return false;
    }
    xml.remove_suffix(1);
    while (!xml.empty() && Is_Space(xml.back())) {
        xml.remove_suffix(1);
    }
    return xml.ends_with("</" + root);
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
    std::string root_name;
    bool empty_root = false;
    XmlNodeType type = XmlNodeType_None;
    HRESULT result = S_OK;
    // Each node of a well-formed text takes at least one byte of it, and a
    // closing tag that a reader adds (see Ends_With_Root) one level: a
    // reader that goes on past that (Wine's does, at text cut off inside an
    // element) is going round in circles.
    std::size_t nodes_left = xml.size() + Max_Xml_Depth + 1;
    while ((result = reader->Read(&type)) == S_OK) {
        if (nodes_left-- == 0) {
            Broken_Xml_Reply("it is not well-formed XML");
        }
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
                    const std::string prefix = Prefix(*reader.Get());
                    root_name = (prefix.empty() ? "" : prefix + ":") + Local_Name(*reader.Get());
                    empty_root = empty;
                }
                element->Space = tree.Space(Namespace_Uri(*reader.Get()));
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
    if (tree.Root == nullptr || !open.empty() || !Ends_With_Root(xml, root_name, empty_root) ||
        !References_Are_Xmls(xml)) {
        Broken_Xml_Reply("it is not well-formed XML");
    }
    return tree;
}

}  // namespace tessaly::detail
