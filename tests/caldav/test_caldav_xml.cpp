#include <gtest/gtest.h>

#include <string>

#include "caldav/caldav_xml.h"
#include "caldav/http_transport.h"

namespace tessaly {
namespace {

CalDAV_Failure Failure_Of(const std::string& xml) {
    try {
        Parse_Multistatus(xml);
    } catch (const CalDAV_Error& error) {
        return error.Failure();
    }
    ADD_FAILURE() << "no error for: " << xml;
    return CalDAV_Failure::Unexpected_Status;
}

TEST(CalDAV_Xml, ReadsPropertiesWhateverPrefixesTheServerChose) {
    // A default namespace for DAV:, other prefixes for the rest, and a
    // property the server does not have in a 404 propstat.
    const std::string xml =
        "<?xml version='1.0' encoding='utf-8'?>\n"
        "<multistatus xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\" "
        "xmlns:CS=\"http://calendarserver.org/ns/\">"
        "<response><href> /ann/tessaly/ </href>"
        "<propstat><prop><resourcetype><collection/><C:calendar/></resourcetype>"
        "<displayname>Ann &amp; Bo &lt;3</displayname><CS:getctag>\"c1\"</CS:getctag>"
        "<sync-token>http://radicale.org/ns/sync/abc</sync-token>"
        "<C:supported-calendar-component-set><C:comp name=\"VEVENT\"/><C:comp name=\"VTODO\"/>"
        "</C:supported-calendar-component-set></prop><status>HTTP/1.1 200 OK</status></propstat>"
        "<propstat><prop><getetag/></prop><status>HTTP/1.1 404 Not Found</status></propstat>"
        "</response>"
        "<response><href>/ann/tessaly/a%40b.ics</href><propstat><prop>"
        "<getetag>\"e1\"</getetag><C:calendar-data>BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n"
        "</C:calendar-data></prop><status>HTTP/1.1 200 OK</status></propstat></response>"
        "<response><href>/ann/tessaly/gone.ics</href><status>HTTP/1.1 404 Not Found</status>"
        "</response><sync-token>http://radicale.org/ns/sync/def</sync-token></multistatus>";
    const Dav_Multistatus result = Parse_Multistatus(xml);
    ASSERT_EQ(result.Responses.size(), 3U);

    const Dav_Response& calendar = result.Responses[0];
    EXPECT_EQ(calendar.Href, "/ann/tessaly/");
    EXPECT_EQ(calendar.Status, 0);
    EXPECT_TRUE(calendar.Properties.Is_Collection);
    EXPECT_TRUE(calendar.Properties.Is_Calendar);
    EXPECT_EQ(calendar.Properties.Display_Name, "Ann & Bo <3");
    EXPECT_EQ(calendar.Properties.Ctag, "\"c1\"");
    EXPECT_EQ(calendar.Properties.Sync_Token, "http://radicale.org/ns/sync/abc");
    EXPECT_EQ(calendar.Properties.Components, (std::vector<std::string>{"VEVENT", "VTODO"}));
    EXPECT_FALSE(calendar.Properties.Etag) << "a property in a 404 propstat is not there";

    const Dav_Response& event = result.Responses[1];
    EXPECT_EQ(event.Href, "/ann/tessaly/a%40b.ics");
    EXPECT_EQ(event.Properties.Etag, "\"e1\"");
    // XML reads CR LF as LF: the event reader must take either line end.
    EXPECT_EQ(event.Properties.Calendar_Data, "BEGIN:VCALENDAR\nEND:VCALENDAR\n");
    EXPECT_FALSE(event.Properties.Is_Calendar);

    EXPECT_EQ(result.Responses[2].Status, 404);
    EXPECT_EQ(result.Sync_Token, "http://radicale.org/ns/sync/def");
}

TEST(CalDAV_Xml, ReadsTheHrefsOfDiscovery) {
    const Dav_Multistatus result = Parse_Multistatus(
        "<d:multistatus xmlns:d=\"DAV:\" xmlns:cal=\"urn:ietf:params:xml:ns:caldav\">"
        "<d:response><d:href>/</d:href><d:propstat><d:prop>"
        "<d:current-user-principal><d:href>/principals/ann/</d:href></d:current-user-principal>"
        "<cal:calendar-home-set>\n  <d:href>https://cal.example.org/home/ann/</d:href>\n"
        "</cal:calendar-home-set></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
        "</d:response></d:multistatus>");
    ASSERT_EQ(result.Responses.size(), 1U);
    EXPECT_EQ(result.Responses[0].Properties.Current_User_Principal, "/principals/ann/");
    EXPECT_EQ(result.Responses[0].Properties.Calendar_Home_Set,
              "https://cal.example.org/home/ann/");
}

TEST(CalDAV_Xml, ABrokenOrForeignReplyIsAnError) {
    EXPECT_EQ(Failure_Of(""), CalDAV_Failure::Broken_Reply);
    EXPECT_EQ(Failure_Of("<html><body>Gateway error</body></html>"), CalDAV_Failure::Broken_Reply);
    EXPECT_EQ(Failure_Of("<multistatus xmlns=\"DAV:\">cut off"), CalDAV_Failure::Broken_Reply);
    EXPECT_EQ(Failure_Of("<multistatus xmlns=\"DAV:\"><response><href>/a</href>"),
              CalDAV_Failure::Broken_Reply);
    // The right name in no namespace is not DAV's.
    EXPECT_EQ(Failure_Of("<multistatus><response><href>/a</href></response></multistatus>"),
              CalDAV_Failure::Broken_Reply);
    EXPECT_EQ(Failure_Of("<multistatus xmlns=\"DAV:\"><response><status>HTTP/1.1 200 OK</status>"
                         "</response></multistatus>"),
              CalDAV_Failure::Broken_Reply);
    // References that name no character.
    EXPECT_EQ(Failure_Of("<multistatus xmlns=\"DAV:\"><response><href>/a&#0;</href></response>"
                         "</multistatus>"),
              CalDAV_Failure::Broken_Reply);
    EXPECT_EQ(Failure_Of("<multistatus xmlns=\"DAV:\"><response><href>/a&#xZZ;</href>"
                         "</response></multistatus>"),
              CalDAV_Failure::Broken_Reply);
}

TEST(CalDAV_Xml, ADocumentTypeOrADeepNestingIsRefused) {
    // An entity could read a file or swell without end; no calendar server
    // sends a document type.
    EXPECT_EQ(Failure_Of("<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY secret SYSTEM "
                         "\"file:///etc/hostname\">]><multistatus xmlns=\"DAV:\"><response>"
                         "<href>/a</href><propstat><prop><displayname>x&secret;y</displayname>"
                         "</prop><status>HTTP/1.1 200 OK</status></propstat></response>"
                         "</multistatus>"),
              CalDAV_Failure::Broken_Reply);
    EXPECT_EQ(Failure_Of("<!DOCTYPE multistatus><multistatus xmlns=\"DAV:\"/>"),
              CalDAV_Failure::Broken_Reply);
    // An entity that nothing declares is no text to guess at.
    EXPECT_EQ(Failure_Of("<multistatus xmlns=\"DAV:\"><response><href>/a&secret;</href>"
                         "</response></multistatus>"),
              CalDAV_Failure::Broken_Reply);

    std::string deep = "<multistatus xmlns=\"DAV:\"><response><href>/a</href>";
    for (int i = 0; i < 100000; ++i) {
        deep += "<x>";
    }
    EXPECT_EQ(Failure_Of(deep), CalDAV_Failure::Broken_Reply);
}

TEST(CalDAV_Xml, TextIsReadWhateverShapeItCameIn) {
    // Character references, a CDATA section, text around a foreign element,
    // one propstat taken among failed ones, and a comment after the end.
    const Dav_Multistatus result = Parse_Multistatus(
        "<D:multistatus xmlns:D=\"DAV:\"><D:response><D:href>/c/%C3%A9.ics</D:href>"
        "<D:propstat><D:prop><D:getetag/></D:prop><D:status>HTTP/1.1 403 Forbidden</D:status>"
        "</D:propstat><D:propstat><D:prop><D:displayname>Zo&#xEB; &#26085;<x:b "
        "xmlns:x=\"urn:x\">bold</x:b> end</D:displayname><C:calendar-data "
        "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><![CDATA[BEGIN:VCALENDAR\nX:<&>\n]]>"
        "</C:calendar-data></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat>"
        "</D:response></D:multistatus>\n<!-- served in 2 ms -->\n");
    ASSERT_EQ(result.Responses.size(), 1U);
    const Dav_Properties& properties = result.Responses[0].Properties;
    EXPECT_EQ(properties.Display_Name,
              "Zo\xC3\xAB \xE6\x97\xA5"
              "bold end");
    EXPECT_EQ(properties.Calendar_Data, "BEGIN:VCALENDAR\nX:<&>\n");
    EXPECT_FALSE(properties.Etag);
}

TEST(CalDAV_Xml, ALargeReplyIsReadAndAHostileOneCostsNoMoreThanItsBound) {
    const std::string open =
        "<multistatus xmlns=\"DAV:\" "
        "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><response><href>/c/a.ics"
        "</href><propstat><prop>";
    const std::string close =
        "</prop><status>HTTP/1.1 200 OK</status></propstat></response></multistatus>";
    // An event with an attachment of 8 MB: over 10 MB of text in one node.
    const std::string attachment(11 << 20, 'A');
    const auto read =
        Parse_Multistatus(open + "<C:calendar-data>" + attachment + "</C:calendar-data>" + close);
    ASSERT_EQ(read.Responses.size(), 1U);
    EXPECT_EQ(read.Responses[0].Properties.Calendar_Data->size(), attachment.size());

    // Each empty element costs a hundred times its four bytes.
    std::string empty_elements = open;
    for (int i = 0; i < 300000; ++i) {
        empty_elements += "<a/>";
    }
    EXPECT_EQ(Failure_Of(empty_elements + close), CalDAV_Failure::Broken_Reply);

    // A namespace declared once is named by every element in it: kept once,
    // and refused where it is longer than any a server has.
    auto named_often = [](std::size_t length) {
        std::string xml = "<multistatus xmlns=\"DAV:\"><response><href>/a</href><q:x xmlns:q=\"" +
                          std::string(length, 'x') + "\">";
        for (int i = 0; i < 200000; ++i) {
            xml += "<q:y/>";
        }
        return xml + "</q:x></response></multistatus>";
    };
    EXPECT_EQ(Parse_Multistatus(named_often(1000)).Responses.size(), 1U);
    EXPECT_EQ(Failure_Of(named_often(1 << 20)), CalDAV_Failure::Broken_Reply);
}

TEST(CalDAV_Xml, ReadsTheAddressBookSideWhateverPrefixesTheServerChose) {
    const std::string xml =
        "<D:multistatus xmlns:D=\"DAV:\" xmlns:CR=\"urn:ietf:params:xml:ns:carddav\" "
        "xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
        "<D:response><D:href>/ann/</D:href><D:propstat><D:prop><CR:addressbook-home-set>"
        "<D:href> /ann/books/ </D:href></CR:addressbook-home-set><D:resourcetype><D:collection/>"
        "</D:resourcetype></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat>"
        "</D:response>"
        "<D:response><D:href>/ann/books/friends/</D:href><D:propstat><D:prop><D:resourcetype>"
        "<D:collection/><CR:addressbook/></D:resourcetype></D:prop>"
        "<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>"
        "<D:response><D:href>/ann/books/friends/a.vcf</D:href><D:propstat><D:prop>"
        "<D:getetag>\"v1\"</D:getetag><CR:address-data>BEGIN:VCARD\r\nNOTE:a &amp; b\r\n"
        "END:VCARD\r\n</CR:address-data><C:calendar-data>X</C:calendar-data></D:prop>"
        "<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>"
        // Elements of the right name in the wrong namespace are not ours.
        "<D:response><D:href>/ann/cal/</D:href><D:propstat><D:prop><D:resourcetype>"
        "<D:collection/><C:addressbook/><C:calendar/></D:resourcetype><C:address-data>Y"
        "</C:address-data><C:addressbook-home-set><D:href>/x/</D:href></C:addressbook-home-set>"
        "</D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>"
        "</D:multistatus>";
    const auto read = Parse_Multistatus(xml);
    ASSERT_EQ(read.Responses.size(), 4U);
    EXPECT_EQ(read.Responses[0].Properties.Address_Book_Home_Set, "/ann/books/");
    EXPECT_FALSE(read.Responses[0].Properties.Is_Address_Book);
    EXPECT_TRUE(read.Responses[1].Properties.Is_Address_Book);
    EXPECT_FALSE(read.Responses[1].Properties.Is_Calendar);
    const auto& contact = read.Responses[2].Properties;
    EXPECT_EQ(contact.Address_Data, "BEGIN:VCARD\nNOTE:a & b\nEND:VCARD\n");
    EXPECT_EQ(contact.Calendar_Data, "X");
    const auto& calendar = read.Responses[3].Properties;
    EXPECT_FALSE(calendar.Is_Address_Book);
    EXPECT_TRUE(calendar.Is_Calendar);
    EXPECT_FALSE(calendar.Address_Data);
    EXPECT_FALSE(calendar.Address_Book_Home_Set);
}

TEST(CalDAV_Xml, RequestsCarryTextEscaped) {
    const std::string body = Make_Calendar_Request_Body("Ann & <Bo>");
    EXPECT_NE(body.find("<d:displayname>Ann &amp; &lt;Bo&gt;</d:displayname>"), std::string::npos);
    const std::string multiget = Event_Multiget_Body({"/c/a&b.ics", "/c/x.ics"});
    EXPECT_NE(multiget.find("<d:href>/c/a&amp;b.ics</d:href><d:href>/c/x.ics</d:href>"),
              std::string::npos);
    EXPECT_EQ(Event_Query_Body(false).find("calendar-data"), std::string::npos);
    EXPECT_NE(Event_Query_Body(true).find("<c:calendar-data/>"), std::string::npos);
}

}  // namespace
}  // namespace tessaly
