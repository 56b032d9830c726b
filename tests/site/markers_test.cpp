// The site's constants must match the pages byte for byte. Each is checked against its spelling
// in UTF-8, converted to GBK here with iconv directly (not through the program's own conversion),
// and the GBK bytes of the Chinese parts against their known hex values.

#include "site/markers.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace tavolin {
namespace {

std::string gbkFromUtf8(const std::string& utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = utf8;
    std::string out(in.size() * 2 + 16, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    const size_t converted = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(converted, static_cast<size_t>(-1)) << "not convertible: " << utf8;
    out.resize(out.size() - outLeft);
    return out;
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string result;
    for (unsigned char c : bytes) {
        if (!result.empty()) result += ' ';
        result += digits[c >> 4];
        result += digits[c & 15];
    }
    return result;
}

struct MarkerRow {
    const char* name;
    const Text& marker;
    std::size_t gbkLength;
    const char* utf8;
};

const MarkerRow markerRows[] = {
    {"termRowMarker", termRowMarker, 176,
     "\r\n"
     "\t\t\t<tr>\r\n"
     "\t\t\t\t<td width=\"49\" height=\"36\"><div align=\"center\"><font face=Wingdings co"
     "lor=#42a5f7 ><span class=\"style2\">v</span></font></div></td>\r\n"
     "\t\t\t\t<td width=\"624\"><a href=\""},
    {"termCodeStart", termCodeStart, 47, "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKindex.ASP?XMXH="},
    {"termNameStart", termNameStart, 91,
     "&XT=排课管理\" target=\"_self\"><span class=\"style2\">欢迎进入<font color='#2F2FFF'>Orsenva"
     "le（"},
    {"termNameEnd", termNameEnd, 37, "）</font>排课管理系统</span></a></td>"},
    {"classListStart", classListStart, 1012,
     "\t\t<input name=\"NwDR\" type=\"hidden\" value=\"PK\">\r\n"
     "\t\t<tr>\r\n"
     "\t\t\t<td valign=\"bottom\">\r\n"
     "\t\t\t\t<table width=\"167\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\">\r\n"
     "\t\t\t\t\t<tr>\r\n"
     "\t\t\t\t\t\t<td width=\"3\" background=\"images/admin_left_n.gif\"></td>\r\n"
     "\t\t\t\t\t\t<td height=\"25\" background=\"images/admin_left_n.gif\"><select name=\""
     "selected\" style=\"width:74;\">\r\n"
     "\t\t\t\t\t\t\t\r\n"
     "\t\t\t\t\t\t\t\t<option value=\"执行计划（BJ）\">执行计划</option>\r\n"
     "\t\t\t\t\t\t\t\t<option value=\"教学日历（BJ）\">教学日历</option>\r\n"
     "\t\t\t\t\t\t\t\t<option value=\"评教表格（BJ）\">评教表格</option>\r\n"
     "\t\t\t\t\t\t\t\r\n"
     "\t\t\t\t\t\t\t</select>&nbsp;&nbsp;&nbsp;&nbsp;\r\n"
     "\t\t\t\t\t\t</td> \r\n"
     "\t\t\t\t\t</tr>\r\n"
     "\t\t\t\t</table>\r\n"
     "\t\t\t</td>\r\n"
     "\t\t</tr>\r\n"
     "\t\t<tr>\r\n"
     "\t\t\t<td>\r\n"
     "\t\t\t\t<table width=\"100%\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\" bgcol"
     "or=\"#9cb6de\">\r\n"
     "\t\t\t\t\t<tr>\r\n"
     "\t\t\t\t\t\t<td width=\"168\" align=\"center\" valign=\"top\" bgcolor=\"#D6DFF7\" st"
     "yle=\"border-bottom:1px solid #ffffff; border-right:1px solid #ffffff; border-left:1"
     "px solid #ffffff; \">\r\n"
     "\t\t\t\t\t\t\t<select name=\"NwZC\" size=\"8\" id=\"NwZC\" style=\"width:160;\" oncl"
     "ick=\"openit(this.form)\">\r\n"
     "\t\t\t\t\t\t\t"},
    {"classListEndHead", classListEndHead, 194,
     "</option>\r\n"
     "\t\t\t\t\t\t\t</select>\r\n"
     "\t\t\t\t\t\t</td>\r\n"
     "\t\t\t\t\t</tr>\r\n"
     "\t\t\t\t</table>\r\n"
     "\t\t\t</td>\r\n"
     "\t\t</form>\r\n"
     "\t</tr>\r\n"
     "\t<tr>\r\n"
     "\t\t<td height=\"8\"></td>\r\n"
     "\t</tr>\r\n"
     "\t<form name=\"form1\" method=\"post\" action=\"change.asp?XMXH="},
    {"classListEndTail", classListEndTail, 675,
     "\" id='JX_list'>\r\n"
     "\t\t<input name=\"NwDR\" type=\"hidden\" value=\"PK\">\r\n"
     "\t\t<tr>\r\n"
     "\t\t\t<td>\r\n"
     "\t\t\t\t<table width=\"167\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\">\r\n"
     "\t\t\t\t\t<tr>\r\n"
     "\t\t\t\t\t\t<td width=\"3\" background=\"images/admin_left_n.gif\"></td>\r\n"
     "\t\t\t\t\t    <td width=\"83\" height=\"25\" background=\"images/admin_left_n.gif\" "
     "><select name=\"Selected\" style=\"width:74;\">\r\n"
     "\t\t\t\t\t\t\t\t\r\n"
     "\t\t\t\t\t\t\t\t<option value=\"教师课表（JS）\">教师课表</option>\r\n"
     "\t\t\t\t\t\t\t\t\r\n"
     "\t\t\t\t\t\t\t</select>&nbsp</td>\r\n"
     "\t\t\t\t\t  <td width=\"81\" background=\"images/admin_left_n.gif\"><input name=\"JS"
     "XM_AJAX\" type=\"input\" value=\"\" style=\"width:70px;\" onchange=\"getJS_info(this"
     ".value,'JSXM_AJAX_Text')\"></td>\r\n"
     "\t\t\t\t\t</tr>\r\n"
     "\t\t\t\t</table>\r\n"
     "\t\t\t</td>\r\n"
     "\t\t</tr>"},
    {"optionSeparator", optionSeparator, 9, "</option>"},
    {"optionValueStart", optionValueStart, 15, "<option value='"},
    {"optionValueEnd", optionValueEnd, 2, "'>"},
    {"timetableStart", timetableStart, 1378,
     "    <table width=\"635\" border=\"1\" align=\"center\" cellspacing=\"0\" bordercolor"
     "=\"#000000\" style=\"border-collapse:collapse;\">\r\n"
     "      <tr bgcolor=\"#9cb6de\">\r\n"
     "\t\t<td width=\"1\"><div align=\"center\"><input type='text' style='font-size:9pt;co"
     "lor:#000000;background-color:#9CB6DE;width: 40;border: 0 double;text-align: center' "
     "value='项目' readonly></div></td>\r\n"
     "\t\t<td width=\"1\"><div align=\"center\"><input type='text' style='font-size:9pt;co"
     "lor:#000000;background-color:#9CB6DE;width: 110;border: 0 double;text-align: center'"
     " value='第1、2节' readonly></div></td>\r\n"
     "\t\t<td width=\"1\"><div align=\"center\"><input type='text' style='font-size:9pt;co"
     "lor:#000000;background-color:#9CB6DE;width: 110;border: 0 double;text-align: center'"
     " value='第3、4节' readonly></div></td>\r\n"
     "\t\t<td width=\"1\"><div align=\"center\"><input type='text' style='font-size:9pt;co"
     "lor:#000000;background-color:#9CB6DE;width: 110;border: 0 double;text-align: center'"
     " value='第5、6节' readonly></div></td>\r\n"
     "\t\t<td width=\"1\"><div align=\"center\"><input type='text' style='font-size:9pt;co"
     "lor:#000000;background-color:#9CB6DE;width: 110;border: 0 double;text-align: center'"
     " value='第7、8节' readonly></div></td>\r\n"
     "\t\t<td width=\"1\"><div align=\"center\"><input type='text' style='font-size:9pt;co"
     "lor:#000000;background-color:#9CB6DE;width: 110;border: 0 double;text-align: center'"
     " value='晚   上' readonly></div></td>\r\n"
     "      </tr>\r\n"
     "      "},
    {"timetableEnd", timetableEnd, 799,
     "\r\n"
     "\t\t  </tr>\r\n"
     "      \r\n"
     "    </table>\r\n"
     "\t<br>\r\n"
     "\t</div>\r\n"
     "<script language=javascript>\r\n"
     "\tfunction makeedit(targetform,num){ \r\n"
     "   var i,srcElement, targetElemen;\r\n"
     "\tsrcElement = window.event.srcElement;\r\n"
     "    targetElement = srcElement.id;\r\n"
     "    targetElement = document.all(targetElement);\r\n"
     "   for(i=0;i<=(num*3+12);i++){\r\n"
     "\t\t   targetElement[i].style.color=\"#FF0000\";\r\n"
     "   }\r\n"
     "   }\r\n"
     "function makeedit2(targetform,num){ \r\n"
     "   var i,srcElement, targetElemen;\r\n"
     "\tsrcElement = window.event.srcElement;\r\n"
     "    targetElement = srcElement.id;\r\n"
     "    targetElement = document.all(targetElement);\r\n"
     "   for(i=0;i<=(num*3+12);i++){\r\n"
     "\t   targetElement[i].style.color=\"#000000\";\r\n"
     "   }\r\n"
     "   }\r\n"
     " \r\n"
     "\r\n"
     "function Print(){\r\n"
     "window.print1.stlye.display=\"none\"\r\n"
     "window.print()\r\n"
     "window.pirnt1.stlye.display=\"\"\r\n"
     "}\r\n"
     "</script>\r\n"
     "\t</BODY>\r\n"
     "</html>"},
    {"dayRowMarker", dayRowMarker, 47,
     "\r\n"
     "\t\t  </tr>\r\n"
     "      \r\n"
     "\t\t  <tr bgcolor=\"#FFFFFF\">"},
    {"periodCellMarker", periodCellMarker, 22,
     "\r\n"
     "\t\t\t<td valign=\"top\">"},
    {"emptyCellText", emptyCellText, 5, "</td>"},
    {"termListPath", termListPath, 46, "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKList.ASP?XMXH="},
    {"classListPath", classListPath, 54, "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKleft.asp?NwDR=PK&XMXH="},
    {"classListSuffix", classListSuffix, 9, "&ListPUT="},
    {"classTimetablePath", classTimetablePath, 55,
     "/SSJWC/JWGL/SSPK8080GB/SBPKJH/BRKB_BJ.ASP?NwDR=PK&XMXH="},
    {"classNameKey", classNameKey, 6, "&NwZC="},
};

TEST(SiteMarkers, EveryConstantHasTheSiteBytes) {
    for (const MarkerRow& row : markerRows) {
        SCOPED_TRACE(row.name);
        const std::string expected = gbkFromUtf8(row.utf8);
        EXPECT_EQ(row.marker.size(), row.gbkLength);
        EXPECT_EQ(hex(row.marker), hex(expected));
    }
}

// The Chinese parts, byte for byte, so that a wrong conversion on either side would show.
TEST(SiteMarkers, ChinesePartsAreTheseGbkBytes) {
    struct Row {
        const char* name;
        const Text& marker;
        const char* utf8;
        const char* gbkHex;
    };
    const Row rows[] = {
        {"排课管理 after &XT=", termNameStart, "&XT=排课管理",
         "26 58 54 3D C5 C5 BF CE B9 DC C0 ED"},
        {"欢迎进入", termNameStart, "欢迎进入", "BB B6 D3 AD BD F8 C8 EB"},
        {"full-width ( ends the name start", termNameStart, "Orsenvale（",
         "4F 72 73 65 6E 76 61 6C 65 A3 A8"},
        {"full-width ) begins the name end", termNameEnd, "）</font>",
         "A3 A9 3C 2F 66 6F 6E 74 3E"},
        {"排课管理系统", termNameEnd, "排课管理系统", "C5 C5 BF CE B9 DC C0 ED CF B5 CD B3"},
        {"执行计划（BJ）", classListStart, "执行计划（BJ）",
         "D6 B4 D0 D0 BC C6 BB AE A3 A8 42 4A A3 A9"},
        {"教学日历", classListStart, "教学日历", "BD CC D1 A7 C8 D5 C0 FA"},
        {"评教表格", classListStart, "评教表格", "C6 C0 BD CC B1 ED B8 F1"},
        {"教师课表（JS）", classListEndTail, "教师课表（JS）",
         "BD CC CA A6 BF CE B1 ED A3 A8 4A 53 A3 A9"},
        {"项目", timetableStart, "value='项目'", "76 61 6C 75 65 3D 27 CF EE C4 BF 27"},
        {"第1、2节", timetableStart, "第1、2节", "B5 DA 31 A1 A2 32 BD DA"},
        {"第7、8节", timetableStart, "第7、8节", "B5 DA 37 A1 A2 38 BD DA"},
        {"晚, three spaces, 上", timetableStart, "晚   上", "CD ED 20 20 20 C9 CF"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string part = gbkFromUtf8(row.utf8);
        EXPECT_EQ(hex(part), row.gbkHex);
        EXPECT_NE(row.marker.find(part), Text::npos);
    }
}

TEST(SiteMarkers, AddressIsSchemeAndHostWithoutTrailingSlash) {
    EXPECT_EQ(siteBaseAddress.rfind("http://", 0), 0u);
    EXPECT_NE(siteBaseAddress.back(), '/');
    EXPECT_FALSE(siteHost().empty());
    EXPECT_EQ(siteBaseAddress.find(siteHost()), 7u);
}

}  // namespace
}  // namespace tavolin
