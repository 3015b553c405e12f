// XML through expat and the check of a written package.
#include <gtest/gtest.h>
#include <zip.h>

#include "spreadsheet/xlsx_writer.h"
#include "spreadsheet/xml_parser.h"
#include "support/test_files.h"

using namespace zelk;
using zelk::testing::ScratchDir;

namespace {

// Start and end tags as "<name a=value>" and "</name>", texts as they are.
class Recorder : public XmlHandler {
public:
    std::string seen;
    void start(std::string_view n, const XmlAttributes& a) override {
        seen += "<" + std::string(n);
        for (const char* k : {"a", "b", "id"})
            if (auto v = a.get(k)) seen += " " + std::string(k) + "=" + *v;
        seen += ">";
    }
    void end(std::string_view n) override { seen += "</" + std::string(n) + ">"; }
    void text(std::string_view s) override { seen += s; }
};

bool fails(const std::string& doc) {
    Recorder r;
    try {
        parseXml(doc, r);
    } catch (const XmlError&) {
        return true;
    }
    return false;
}

// A package of the given members, stored as they are.
void writeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& members) {
    zipFile z = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(z, nullptr);
    for (const auto& [name, bytes] : members) {
        zip_fileinfo info{};
        ASSERT_EQ(zipOpenNewFileInZip64(z, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0),
                  ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(z, bytes.data(), static_cast<unsigned>(bytes.size())), ZIP_OK);
        ASSERT_EQ(zipCloseFileInZip(z), ZIP_OK);
    }
    ASSERT_EQ(zipClose(z, nullptr), ZIP_OK);
}

std::string checkError(const std::string& path, std::vector<std::uint64_t> cells) {
    try {
        verifyPackage(path, cells);
    } catch (const WriteFailure& f) {
        return std::string(f.what());
    }
    return "";
}

}  // namespace

TEST(SpreadsheetXml, ElementsAttributesAndTextByLocalName) {
    Recorder r;
    parseXml(
        R"(<?xml version="1.0"?><!-- c --><x:root xmlns:x="urn:x" xmlns:r="urn:r" a='1' r:id="&lt;&#65;&#x42;&amp;">)"
        R"(<t>een &quot;twee&quot;</t><leeg/><![CDATA[<rauw>]]></x:root>)",
        r);
    EXPECT_EQ(r.seen, "<root a=1 id=<AB&><t>een \"twee\"</t><leeg></leeg><rauw></root>");
}

TEST(SpreadsheetXml, RefusesWhatItCannotReadSafely) {
    EXPECT_TRUE(fails("<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>"));
    EXPECT_TRUE(fails("<!DOCTYPE a><a/>"));
    EXPECT_TRUE(fails("<a>&onbekend;</a>"));
    EXPECT_TRUE(fails("<a>&#0;</a>"));
    EXPECT_TRUE(fails("<a>\xef\xbf\xbf</a>"));  // U+FFFF
    EXPECT_TRUE(fails("<a>\x01</a>"));
    EXPECT_TRUE(fails("<a>\xff</a>"));
    EXPECT_TRUE(fails("<a b=1></a>"));
    EXPECT_TRUE(fails("<a"));
    EXPECT_TRUE(fails("<a><b></a>"));
    EXPECT_TRUE(fails(""));
    EXPECT_FALSE(fails("<a>gewoon</a>"));
}

TEST(SpreadsheetXml, PackageCheckCatchesDamagedParts) {
    ScratchDir dir;
    const std::string types = "<Types/>", book = "<workbook/>";
    const std::string sheet = "<worksheet><sheetData><row><c/><c><v>1</v></c></row></sheetData></worksheet>";
    const std::string good = dir / "goed.xlsx";
    writeZip(good, {{"[Content_Types].xml", types}, {"xl/workbook.xml", book}, {"xl/worksheets/sheet1.xml", sheet}});
    EXPECT_EQ(checkError(good, {2}), "");
    EXPECT_NE(checkError(good, {3}), "");  // a cell the writer wrote is missing

    // A character XML cannot carry, a part cut short, a broken relationship part.
    const std::string badText = dir / "teken.xlsx";
    writeZip(badText, {{"[Content_Types].xml", types},
                       {"xl/workbook.xml", book},
                       {"xl/worksheets/sheet1.xml", "<worksheet><c><is><t>A\xef\xbf\xbf</t></is></c></worksheet>"}});
    EXPECT_NE(checkError(badText, {1}).find("onleesbaar"), std::string::npos);
    const std::string cut = dir / "kort.xlsx";
    writeZip(cut, {{"[Content_Types].xml", types},
                   {"xl/workbook.xml", book},
                   {"xl/worksheets/sheet1.xml", sheet.substr(0, sheet.size() - 5)}});
    EXPECT_NE(checkError(cut, {2}), "");
    const std::string rels = dir / "rels.xlsx";
    writeZip(rels, {{"[Content_Types].xml", types},
                    {"xl/workbook.xml", book},
                    {"_rels/.rels", "<Relationships>"},
                    {"xl/worksheets/sheet1.xml", sheet}});
    EXPECT_NE(checkError(rels, {2}), "");
    // A sheet that is not there, and a file that is no zip.
    EXPECT_NE(checkError(good, {2, 1}), "");
    zelk::testing::writeBytes(dir / "geen.xlsx", "geen zip");
    EXPECT_NE(checkError(dir / "geen.xlsx", {}), "");

    // A flipped byte inside a member fails its CRC or its inflation.
    std::string bytes = zelk::testing::readBytes(good);
    const auto at = bytes.find("xl/worksheets/sheet1.xml") + 30;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
    zelk::testing::writeBytes(dir / "crc.xlsx", bytes);
    EXPECT_NE(checkError(dir / "crc.xlsx", {2}), "");
}
