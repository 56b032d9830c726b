#include "site/markers.h"

#include "site/site_address.h"

namespace tavolin {

const Text siteBaseAddress = TAVOLIN_SITE_BASE_ADDRESS;

namespace {

// "http://host[:port]" -> host and port.
Text addressAuthority() {
    Text rest = siteBaseAddress;
    const auto scheme = rest.find("://");
    if (scheme != Text::npos) rest = rest.substr(scheme + 3);
    return rest.substr(0, rest.find('/'));
}

}  // namespace

Text siteHost() {
    const Text authority = addressAuthority();
    return authority.substr(0, authority.rfind(':'));
}

int sitePort() {
    const Text authority = addressAuthority();
    const auto colon = authority.rfind(':');
    if (colon == Text::npos) return 80;
    int port = 0;
    for (char c : authority.substr(colon + 1)) {
        if (c < '0' || c > '9') return 80;
        port = port * 10 + (c - '0');
        if (port > 65535) return 80;
    }
    return port;
}

// The Chinese parts are GBK bytes; the comment beside each shows its characters.

const Text termListPath = "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKList.ASP?XMXH=";

const Text classListPath = "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKleft.asp?NwDR=PK&XMXH=";

const Text classListSuffix = "&ListPUT=";

const Text classTimetablePath = "/SSJWC/JWGL/SSPK8080GB/SBPKJH/BRKB_BJ.ASP?NwDR=PK&XMXH=";

const Text classNameKey = "&NwZC=";

const Text termRowMarker =
    "\r\n"
    "\t\t\t<tr>\r\n"
    "\t\t\t\t<td width=\"49\" height=\"36\"><div align=\"center\"><font face=Wingdings co"
    "lor=#42a5f7 ><span class=\"style2\">v</span></font></div></td>\r\n"
    "\t\t\t\t<td width=\"624\"><a href=\"";

const Text termCodeStart = "/SSJWC/JWGL/SSPK8080GB/SBPKJH/PKindex.ASP?XMXH=";

const Text termNameStart =
    "&XT="
    "\xC5\xC5\xBF\xCE\xB9\xDC\xC0\xED"  // 排课管理
    "\" target=\"_self\"><span class=\"style2\">"
    "\xBB\xB6\xD3\xAD\xBD\xF8\xC8\xEB"  // 欢迎进入
    "<font color='#2F2FFF'>Orsenvale"
    "\xA3\xA8";  // （

const Text termNameEnd =
    "\xA3\xA9"  // ）
    "</font>"
    "\xC5\xC5\xBF\xCE\xB9\xDC\xC0\xED\xCF\xB5\xCD\xB3"  // 排课管理系统
    "</span></a></td>";

const Text classListStart =
    "\t\t<input name=\"NwDR\" type=\"hidden\" value=\"PK\">\r\n"
    "\t\t<tr>\r\n"
    "\t\t\t<td valign=\"bottom\">\r\n"
    "\t\t\t\t<table width=\"167\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\">\r\n"
    "\t\t\t\t\t<tr>\r\n"
    "\t\t\t\t\t\t<td width=\"3\" background=\"images/admin_left_n.gif\"></td>\r\n"
    "\t\t\t\t\t\t<td height=\"25\" background=\"images/admin_left_n.gif\"><select name=\""
    "selected\" style=\"width:74;\">\r\n"
    "\t\t\t\t\t\t\t\r\n"
    "\t\t\t\t\t\t\t\t<option value=\""
    "\xD6\xB4\xD0\xD0\xBC\xC6\xBB\xAE\xA3\xA8"  // 执行计划（
    "BJ"
    "\xA3\xA9"  // ）
    "\">"
    "\xD6\xB4\xD0\xD0\xBC\xC6\xBB\xAE"  // 执行计划
    "</option>\r\n"
    "\t\t\t\t\t\t\t\t<option value=\""
    "\xBD\xCC\xD1\xA7\xC8\xD5\xC0\xFA\xA3\xA8"  // 教学日历（
    "BJ"
    "\xA3\xA9"  // ）
    "\">"
    "\xBD\xCC\xD1\xA7\xC8\xD5\xC0\xFA"  // 教学日历
    "</option>\r\n"
    "\t\t\t\t\t\t\t\t<option value=\""
    "\xC6\xC0\xBD\xCC\xB1\xED\xB8\xF1\xA3\xA8"  // 评教表格（
    "BJ"
    "\xA3\xA9"  // ）
    "\">"
    "\xC6\xC0\xBD\xCC\xB1\xED\xB8\xF1"  // 评教表格
    "</option>\r\n"
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

const Text classListEndHead =
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

const Text classListEndTail =
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
    "\t\t\t\t\t\t\t\t<option value=\""
    "\xBD\xCC\xCA\xA6\xBF\xCE\xB1\xED\xA3\xA8"  // 教师课表（
    "JS"
    "\xA3\xA9"  // ）
    "\">"
    "\xBD\xCC\xCA\xA6\xBF\xCE\xB1\xED"  // 教师课表
    "</option>\r\n"
    "\t\t\t\t\t\t\t\t\r\n"
    "\t\t\t\t\t\t\t</select>&nbsp</td>\r\n"
    "\t\t\t\t\t  <td width=\"81\" background=\"images/admin_left_n.gif\"><input name=\"JS"
    "XM_AJAX\" type=\"input\" value=\"\" style=\"width:70px;\" onchange=\"getJS_info(this"
    ".value,'JSXM_AJAX_Text')\"></td>\r\n"
    "\t\t\t\t\t</tr>\r\n"
    "\t\t\t\t</table>\r\n"
    "\t\t\t</td>\r\n"
    "\t\t</tr>";

const Text optionSeparator = "</option>";

const Text optionValueStart = "<option value='";

const Text optionValueEnd = "'>";

const Text timetableStart =
    "    <table width=\"635\" border=\"1\" align=\"center\" cellspacing=\"0\" bordercolor"
    "=\"#000000\" style=\"border-collapse:collapse;\">\r\n"
    "      <tr bgcolor=\"#9cb6de\">\r\n"
    "\t\t<td width=\"1\"><div align=\"center\"><input type='text' style='font-size:9pt;co"
    "lor:#000000;background-color:#9CB6DE;width: 40;border: 0 double;text-align: center' "
    "value='"
    "\xCF\xEE\xC4\xBF"  // 项目
    "' readonly></div></td>\r\n"
    "\t\t<td width=\"1\"><div align=\"center\"><input type='text' style='font-size:9pt;co"
    "lor:#000000;background-color:#9CB6DE;width: 110;border: 0 double;text-align: center'"
    " value='"
    "\xB5\xDA"  // 第
    "1"
    "\xA1\xA2"  // 、
    "2"
    "\xBD\xDA"  // 节
    "' readonly></div></td>\r\n"
    "\t\t<td width=\"1\"><div align=\"center\"><input type='text' style='font-size:9pt;co"
    "lor:#000000;background-color:#9CB6DE;width: 110;border: 0 double;text-align: center'"
    " value='"
    "\xB5\xDA"  // 第
    "3"
    "\xA1\xA2"  // 、
    "4"
    "\xBD\xDA"  // 节
    "' readonly></div></td>\r\n"
    "\t\t<td width=\"1\"><div align=\"center\"><input type='text' style='font-size:9pt;co"
    "lor:#000000;background-color:#9CB6DE;width: 110;border: 0 double;text-align: center'"
    " value='"
    "\xB5\xDA"  // 第
    "5"
    "\xA1\xA2"  // 、
    "6"
    "\xBD\xDA"  // 节
    "' readonly></div></td>\r\n"
    "\t\t<td width=\"1\"><div align=\"center\"><input type='text' style='font-size:9pt;co"
    "lor:#000000;background-color:#9CB6DE;width: 110;border: 0 double;text-align: center'"
    " value='"
    "\xB5\xDA"  // 第
    "7"
    "\xA1\xA2"  // 、
    "8"
    "\xBD\xDA"  // 节
    "' readonly></div></td>\r\n"
    "\t\t<td width=\"1\"><div align=\"center\"><input type='text' style='font-size:9pt;co"
    "lor:#000000;background-color:#9CB6DE;width: 110;border: 0 double;text-align: center'"
    " value='"
    "\xCD\xED"  // 晚
    "   "
    "\xC9\xCF"  // 上
    "' readonly></div></td>\r\n"
    "      </tr>\r\n"
    "      ";

const Text timetableEnd =
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
    "</html>";

const Text dayRowMarker =
    "\r\n"
    "\t\t  </tr>\r\n"
    "      \r\n"
    "\t\t  <tr bgcolor=\"#FFFFFF\">";

const Text periodCellMarker =
    "\r\n"
    "\t\t\t<td valign=\"top\">";

const Text emptyCellText = "</td>";

}  // namespace tavolin
