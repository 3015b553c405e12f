// The small XML reader behind Workbooks.Open.
#include <gtest/gtest.h>

#include "spreadsheet/xml_reader.h"

using namespace zelk;
using Token = XmlReader::Token;

TEST(SpreadsheetXml, ElementsAttributesAndText) {
    XmlReader x(R"(<?xml version="1.0"?><!-- c --><x:root a='1' x:b="&lt;&#65;&#x42;&amp;"><t>een &quot;twee&quot;</t>)"
                R"(<leeg/><![CDATA[<rauw>]]></x:root>)");
    ASSERT_EQ(x.next(), Token::Start);
    EXPECT_EQ(x.name(), "root");
    EXPECT_EQ(x.attr("a"), "1");
    EXPECT_EQ(x.attr("b"), "<AB&");
    EXPECT_FALSE(x.attr("c"));
    ASSERT_EQ(x.next(), Token::Start);
    EXPECT_EQ(x.elementText(), "een \"twee\"");
    ASSERT_EQ(x.next(), Token::Start);
    EXPECT_EQ(x.name(), "leeg");
    ASSERT_EQ(x.next(), Token::End);
    ASSERT_EQ(x.next(), Token::Text);
    EXPECT_EQ(x.text(), "<rauw>");
    ASSERT_EQ(x.next(), Token::End);
    EXPECT_EQ(x.name(), "root");
    EXPECT_EQ(x.next(), Token::Eof);
}

TEST(SpreadsheetXml, RefusesWhatItCannotReadSafely) {
    auto fails = [](const char* doc) {
        try {
            XmlReader x(doc);
            while (x.next() != Token::Eof) {
            }
        } catch (const XmlError&) {
            return true;
        }
        return false;
    };
    EXPECT_TRUE(fails("<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>"));
    EXPECT_TRUE(fails("<a>&onbekend;</a>"));
    EXPECT_TRUE(fails("<a>&#0;</a>"));
    EXPECT_TRUE(fails("<a>&#x110000;</a>"));
    EXPECT_TRUE(fails("<a b=1></a>"));
    EXPECT_TRUE(fails("<a b=\"1></a>"));
    EXPECT_TRUE(fails("<a"));
    EXPECT_TRUE(fails("<!-- open"));
    EXPECT_TRUE(fails("<a>&amp</a>"));
    EXPECT_FALSE(fails("<a>gewoon</a>"));
}
