#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::detail {

// One element of a server's reply, its name resolved to its namespace's URI
// (prefixes are the server's choice and mean nothing). Built by the XML
// reader of the system, read by Parse_Multistatus.
struct Xml_Element {
    std::string Space;
    std::string Name;
    // The unqualified attribute "name" (a calendar component's), or empty.
    std::string Name_Attribute;
    // The element's own text; each child sits at its offset in it.
    std::string Text;
    struct Child {
        std::size_t Offset = 0;
        Xml_Element* Element = nullptr;
    };
    std::vector<Child> Children;
};

// The elements of one reply, owned in one place so that a deep tree is never
// freed by recursion.
struct Xml_Tree {
    std::vector<std::unique_ptr<Xml_Element>> Elements;
    Xml_Element* Root = nullptr;

    Xml_Element* Add(Xml_Element* parent) {
        Elements.push_back(std::make_unique<Xml_Element>());
        Xml_Element* element = Elements.back().get();
        if (parent != nullptr) {
            parent->Children.push_back({parent->Text.size(), element});
        }
        return element;
    }
};

// Deeper than any reply of a calendar server: a limit on what a broken or
// hostile reply costs.
inline constexpr int Max_Xml_Depth = 256;

// The reply read into a tree; throws CalDAV_Error (Broken_Reply) where it is
// not well-formed XML, carries a document type declaration (whose entities
// could read files or swell without end), or nests deeper than
// Max_Xml_Depth. Defined by the system's XML reader.
Xml_Tree Read_Xml_Tree(std::string_view xml);

[[noreturn]] void Broken_Xml_Reply(const std::string& why);

}  // namespace tessaly::detail
