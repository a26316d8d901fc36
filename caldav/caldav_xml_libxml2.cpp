// The servers' replies read with libxml2's streaming reader: only the tree of
// our own is built, never libxml2's as well.
#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <limits>
#include <memory>
#include <vector>

#include "caldav/caldav_xml_tree.h"

namespace tessaly::detail {

namespace {

const char* Chars(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

struct Reader_Free {
    void operator()(xmlTextReader* reader) const { xmlFreeTextReader(reader); }
};

// xmlFree is a variable holding the function: a deleter of our own calls it.
struct Xml_Free {
    void operator()(xmlChar* text) const { xmlFree(text); }
};

}  // namespace

Xml_Tree Read_Xml_Tree(std::string_view xml) {
    if (xml.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        Broken_Xml_Reply("it is too long");
    }
    // Nothing from the network, no messages on the terminal, no entity
    // substituted. HUGE lifts the limit on one text node (10 MB), which an
    // event with a large attachment passes; the transports bound the reply.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE;
    const std::unique_ptr<xmlTextReader, Reader_Free> reader(
        xmlReaderForMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, options));
    if (!reader) {
        Broken_Xml_Reply("the XML reader could not be started");
    }
    xmlTextReader* const read = reader.get();
    Xml_Tree tree;
    std::vector<Xml_Element*> open;
    int result = 0;
    while ((result = xmlTextReaderRead(read)) == 1) {
        switch (xmlTextReaderNodeType(read)) {
            case XML_READER_TYPE_DOCUMENT_TYPE:
                // Refused as soon as it is met, before any of its entities is
                // used: they could read files or swell without end.
                Broken_Xml_Reply("it declares a document type");
            case XML_READER_TYPE_ELEMENT: {
                if (static_cast<int>(open.size()) >= Max_Xml_Depth) {
                    Broken_Xml_Reply("it is nested too deeply");
                }
                const bool empty = xmlTextReaderIsEmptyElement(read) == 1;
                Xml_Element* element = tree.Add(open.empty() ? nullptr : open.back());
                if (tree.Root == nullptr) {
                    tree.Root = element;
                }
                if (const xmlChar* space = xmlTextReaderConstNamespaceUri(read)) {
                    element->Space = tree.Space(Chars(space));
                }
                if (const xmlChar* name = xmlTextReaderConstLocalName(read)) {
                    element->Name = Chars(name);
                }
                // The unqualified attribute only: xmlTextReaderGetAttribute
                // takes a name without a prefix as one without a namespace.
                const std::unique_ptr<xmlChar, Xml_Free> name_attribute(
                    xmlTextReaderGetAttribute(read, reinterpret_cast<const xmlChar*>("name")));
                if (name_attribute) {
                    element->Name_Attribute = Chars(name_attribute.get());
                }
                if (!empty) {
                    open.push_back(element);
                }
                break;
            }
            case XML_READER_TYPE_END_ELEMENT:
                if (!open.empty()) {
                    open.pop_back();
                }
                break;
            case XML_READER_TYPE_TEXT:
            case XML_READER_TYPE_CDATA:
            case XML_READER_TYPE_WHITESPACE:
            case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
                if (!open.empty()) {
                    if (const xmlChar* text = xmlTextReaderConstValue(read)) {
                        open.back()->Text += Chars(text);
                    }
                }
                break;
            default:
                break;
        }
    }
    if (result != 0 || tree.Root == nullptr || !open.empty()) {
        Broken_Xml_Reply("it is not well-formed XML");
    }
    return tree;
}

}  // namespace tessaly::detail
