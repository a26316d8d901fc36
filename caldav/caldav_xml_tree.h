#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::detail {

// One element of a server's reply, its name resolved to its namespace's URI
// (prefixes are the server's choice and mean nothing). Built by the XML
// reader of the system, read by Parse_Multistatus.
struct Xml_Element {
    std::string_view Space;  // held by the tree
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

[[noreturn]] void Broken_Xml_Reply(const std::string& why);

// More elements than a reply listing 30,000 events has. Each costs about 200
// bytes here: the bound keeps a reply of empty elements from costing twenty
// times its size.
inline constexpr std::size_t Max_Xml_Elements = 250000;
// Longer than any namespace of a calendar server: one declared once and
// named by every element would cost its length in each comparison.
inline constexpr std::size_t Max_Xml_Namespace_Length = 1024;

// The elements of one reply, owned in one place so that a deep tree is never
// freed by recursion.
struct Xml_Tree {
    std::vector<std::unique_ptr<Xml_Element>> Elements;
    Xml_Element* Root = nullptr;
    // Each namespace once, however many elements name it.
    std::set<std::string, std::less<>> Spaces;

    std::string_view Space(std::string_view uri) {
        if (uri.size() > Max_Xml_Namespace_Length) {
            Broken_Xml_Reply("it names a namespace too long");
        }
        auto known = Spaces.find(uri);
        if (known == Spaces.end()) {
            known = Spaces.emplace(uri).first;
        }
        return *known;
    }

    Xml_Element* Add(Xml_Element* parent) {
        if (Elements.size() >= Max_Xml_Elements) {
            Broken_Xml_Reply("it has too many elements");
        }
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
// Max_Xml_Depth or has more than Max_Xml_Elements. Defined by the system's
// XML reader.
Xml_Tree Read_Xml_Tree(std::string_view xml);

}  // namespace tessaly::detail
