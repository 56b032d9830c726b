// Orsenvale's pages, written out as the site's server renders them: CR LF line ends, tab
// indentation, the site's own quoting. The fragments are UTF-8 here and become GBK when a page is
// built.

#include <string>

#include "sample-site/sample_site.h"

namespace tavolin {

const std::string sampleTermListPath = "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKList.ASP";
const std::string sampleClassListPath = "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKleft.asp";
const std::string sampleTimetablePath = "/SSJWC/JWGL/SSPK8080GB/SBPKJH/BRKB_BJ.ASP";

namespace {

const char* const pageHead =
    "<html>\r\n"
    "<head>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\r\n"
    "<title>Orsenvale排课管理系统</title>\r\n"
    "<link href=\"css/style.css\" rel=\"stylesheet\" type=\"text/css\">\r\n"
    "</head>\r\n";

const char* const termRowOpening =
    "\r\n"
    "\t\t\t<tr>\r\n"
    "\t\t\t\t<td width=\"49\" height=\"36\"><div align=\"center\"><font face=Wingdings co"
    "lor=#42a5f7 ><span class=\"style2\">v</span></font></div></td>\r\n"
    "\t\t\t\t<td width=\"624\"><a href=\"";

const char* const classSelectionOpening =
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
    "\t\t\t\t\t\t\t";

const char* const classSelectionClosing =
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
    "\t<form name=\"form1\" method=\"post\" action=\"change.asp?XMXH=";

const char* const teacherFormOpening =
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
    "\t\t</tr>";

const char* const timetableHead =
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
    "      ";

const char* const timetableTail =
    "\r\n"
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
    "</html>";

const char* const dayRowOpening = "\r\n\t\t  <tr bgcolor=\"#FFFFFF\">";
const char* const dayRowClosing = "\r\n\t\t  </tr>\r\n      ";
const char* const periodCellOpening = "\r\n\t\t\t<td valign=\"top\">";
const char* const weekdayNames[] = {"星期一", "星期二", "星期三", "星期四",
                                    "星期五", "星期六", "星期日"};

}  // namespace

Text sampleNotFoundPage() {
    return utf8ToText(std::string(pageHead) +
                      "<body>\r\n<p align=\"center\">没有找到相关的排课信息。</p>\r\n</body>\r\n"
                      "</html>\r\n");
}

Text sampleTermListPage() {
    std::string page = std::string(pageHead) +
                       "<body>\r\n"
                       "\t\t<table width=\"673\" border=\"0\" align=\"center\" cellpadding=\"0\" "
                       "cellspacing=\"0\">";
    Text gbk = utf8ToText(page);
    for (const SampleTerm& term : sampleTerms()) {
        gbk += utf8ToText(std::string(termRowOpening) +
                          "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKindex.ASP?XMXH=") +
               term.code +
               utf8ToText(
                   "&XT=排课管理\" target=\"_self\"><span class=\"style2\">欢迎进入"
                   "<font color='#2F2FFF'>Orsenvale（") +
               term.displayName +
               utf8ToText("）</font>排课管理系统</span></a></td>\r\n\t\t\t</tr>");
    }
    gbk += utf8ToText("\r\n\t\t</table>\r\n</body>\r\n</html>\r\n");
    return gbk;
}

Text sampleClassListPage(const Text& termCode) {
    const SampleTerm* term = findSampleTerm(termCode);
    if (!term) return sampleNotFoundPage();
    Text page = utf8ToText(std::string(pageHead) +
                           "<body leftmargin=\"0\" topmargin=\"0\">\r\n"
                           "<table width=\"168\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\">"
                           "\r\n\t<tr>\r\n"
                           "\t\t<form name=\"form\" method=\"post\" action=\"BRKB_BJ.ASP?XMXH=") +
                term->code +
                utf8ToText("\" target=\"mainFrame\">\r\n" + std::string(classSelectionOpening));
    // The options follow one another on lines of their own; the last one's "</option>" opens
    // the closing of the selection list.
    for (std::size_t i = 0; i < term->classes.size(); ++i) {
        if (i > 0) page += "</option>\r\n\t\t\t\t\t\t\t";
        page += "<option value='" + term->classes[i].name + "'>" + term->classes[i].label;
    }
    page += utf8ToText(classSelectionClosing) + term->code + utf8ToText(teacherFormOpening);
    page += utf8ToText(
        "\r\n\t\t<tr>\r\n\t\t\t<td height=\"8\"></td>\r\n\t\t</tr>\r\n\t</form>\r\n</table>\r\n"
        "</body>\r\n</html>\r\n");
    return page;
}

Text sampleTimetablePage(const Text& termCode, const Text& className) {
    const SampleTerm* term = findSampleTerm(termCode);
    const SampleClass* sampleClass = findSampleClass(termCode, className);
    if (!term || !sampleClass) return sampleNotFoundPage();
    Text page = utf8ToText(std::string(pageHead) +
                           "<body>\r\n\t<div align=\"center\" id=\"print1\">\r\n"
                           "\t<p class=\"title\">Orsenvale ") +
                term->displayName + utf8ToText(" 班级课表：") + sampleClass->name + "</p>\r\n" +
                utf8ToText(timetableHead);
    for (int day = 0; day < 7; ++day) {
        if (day > 0) page += dayRowClosing;
        page += dayRowOpening;
        page += utf8ToText("\r\n\t\t\t<td bgcolor=\"#9cb6de\"><div align=\"center\">" +
                           std::string(weekdayNames[day]) + "</div></td>");
        for (int block = 0; block < 5; ++block) {
            page += periodCellOpening + sampleClass->lessons[day][block] + "</td>";
        }
    }
    page += dayRowClosing + utf8ToText(timetableTail);
    return page;
}

}  // namespace tavolin
