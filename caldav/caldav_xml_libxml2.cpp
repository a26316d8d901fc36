// The servers' replies read with libxml2.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <limits>
#include <memory>

#include "caldav/caldav_xml_tree.h"

namespace tessaly::detail {

namespace {

// xmlFree is a variable holding the function: a deleter of our own calls it.
struct Xml_Free {
    void operator()(xmlChar* text) const { xmlFree(text); }
};
using Xml_Text = std::unique_ptr<xmlChar, Xml_Free>;

const char* Chars(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

void Copy_Element(const xmlNode* node, Xml_Element& element, Xml_Tree& tree, int depth) {
    if (depth > Max_Xml_Depth) {
        Broken_Xml_Reply("it is nested too deeply");
    }
    if (node->ns != nullptr && node->ns->href != nullptr) {
        element.Space = Chars(node->ns->href);
    }
    element.Name = Chars(node->name);
    for (const xmlAttr* attribute = node->properties; attribute != nullptr;
         attribute = attribute->next) {
        if (attribute->ns == nullptr && std::strcmp(Chars(attribute->name), "name") == 0) {
            const Xml_Text value(xmlNodeGetContent(reinterpret_cast<const xmlNode*>(attribute)));
            element.Name_Attribute = value ? Chars(value.get()) : "";
        }
    }
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            Copy_Element(child, *tree.Add(&element), tree, depth + 1);
        } else if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) &&
                   child->content != nullptr) {
            element.Text += Chars(child->content);
        }
    }
}

}  // namespace

Xml_Tree Read_Xml_Tree(std::string_view xml) {
    if (xml.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        Broken_Xml_Reply("it is too long");
    }
    // No entity substitution, no DTD loading, nothing from the network, no
    // messages on the terminal.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> document(
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, options),
        xmlFreeDoc);
    if (!document) {
        Broken_Xml_Reply("it is not well-formed XML");
    }
    if (document->intSubset != nullptr || document->extSubset != nullptr) {
        Broken_Xml_Reply("it declares a document type");
    }
    Xml_Tree tree;
    if (const xmlNode* root = xmlDocGetRootElement(document.get())) {
        tree.Root = tree.Add(nullptr);
        Copy_Element(root, *tree.Root, tree, 1);
    }
    return tree;
}

}  // namespace tessaly::detail
