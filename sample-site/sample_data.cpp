// Orsenvale's terms, classes and lessons. Deterministic: the same data on every run, so tests can
// compute the expected free-period table from it.

#include <cstdint>
#include <string>

#include "sample-site/sample_site.h"

namespace tavolin {

namespace {

// Small deterministic generator, so every class gets its own but reproducible week.
class Lcg {
public:
    explicit Lcg(const std::string& key) {
        for (unsigned char c : key) state_ = (state_ ^ c) * 1099511628211ull;  // FNV-1a
    }
    unsigned next(unsigned bound) {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<unsigned>((state_ >> 33) % bound);
    }

private:
    std::uint64_t state_ = 1469598103934665603ull;
};

struct TermPlan {
    const char* code;
    const char* displayName;  // UTF-8
    const char* year;         // two digits of the intake year
    int classCount;
};

// In the order the site lists them. 20170A and 20170C share a display name: the site re-published
// the first term's plan under a second code.
constexpr TermPlan termPlans[] = {
    {"20170B", "2017-2018学年第二学期", "17", 18},
    {"20170C", "2017-2018学年第一学期", "17", 10},
    {"20170A", "2017-2018学年第一学期", "17", 24},
    {"20160B", "2016-2017学年第二学期", "16", 12},
};

// Class name patterns (UTF-8); {y} is the intake year, {k} the class's number. Together they put
// ASCII letters, digits, a space, a hyphen and 昇 (GBK 95 4E, whose second byte is the letter N)
// into every term's names.
constexpr const char* classPatterns[] = {
    "计算机{y}0{k}班",    "软件工程{y}0{k}班", "UI设计{y}0{k}班",   "电子信息{y}0{k}-2班",
    "英语 口译{y}0{k}班", "昇华实验班{y}-{k}", "国际贸易{y}0{k}班", "BIM工程{y}0{k}班",
};

constexpr const char* courses[] = {
    "高等数学", "大学英语", "程序设计基础", "数据结构", "线性代数",   "大学物理",
    "体育",     "电路分析", "计算机网络",   "概率论",   "形势与政策", "C语言实验",
};
constexpr const char* teachers[] = {"林晓", "周卫国", "陈静", "赵一鸣", "何平", "苏昇"};
constexpr const char* rooms[] = {"教3-201", "教5-108", "实验楼B-305", "体育馆", "图书馆 报告厅"};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A lesson as the site renders it: markup, line breaks and tabs inside the cell (UTF-8).
std::string lessonMarkup(Lcg& random) {
    const std::string course = courses[random.next(std::size(courses))];
    const std::string teacher = teachers[random.next(std::size(teachers))];
    const std::string room = rooms[random.next(std::size(rooms))];
    const unsigned firstWeek = 1 + random.next(3);
    std::string cell = "<font color=\"#0000FF\">" + course + "</font><br>\r\n\t\t\t\t" + teacher +
                       "<br>\r\n\t\t\t\t(" + std::to_string(firstWeek) + "-16周)<br>\r\n\t\t\t\t" +
                       room;
    // Some slots hold two courses in alternate weeks.
    if (random.next(6) == 0) {
        cell += "<hr size=1>\r\n\t\t\t\t<font color=\"#0000FF\">" +
                std::string(courses[random.next(std::size(courses))]) +
                "</font><br>\r\n\t\t\t\t(双周)";
    }
    return cell + "\r\n\t\t\t";
}

// Percent chance of a lesson per day (Monday..Sunday) and block (the evening is quieter).
int lessonChance(int day, int block) {
    if (day == 6) return 5;
    if (day == 5) return 15;
    return block == 4 ? 20 : 60;
}

SampleClass makeClass(const TermPlan& plan, int index) {
    const std::string pattern = classPatterns[index % std::size(classPatterns)];
    const int number = 1 + index / static_cast<int>(std::size(classPatterns));
    const std::string name =
        replaceAll(replaceAll(pattern, "{y}", plan.year), "{k}", std::to_string(number));

    SampleClass sampleClass;
    sampleClass.name = utf8ToText(name);
    sampleClass.label = utf8ToText(name + "（" + std::to_string(30 + index % 15) + "人）");

    Lcg random(std::string(plan.code) + "/" + name);
    for (int day = 0; day < 7; ++day) {
        for (int block = 0; block < 5; ++block) {
            if (static_cast<int>(random.next(100)) < lessonChance(day, block))
                sampleClass.lessons[day][block] = utf8ToText(lessonMarkup(random));
        }
    }
    // The site leaves a single space in a slot whose lesson was withdrawn: busy to the client,
    // because only a cell that is exactly "</td>" counts as free.
    const unsigned withdrawn = random.next(35);
    sampleClass.lessons[withdrawn / 5][withdrawn % 5] = " ";
    return sampleClass;
}

std::vector<SampleTerm> makeTerms() {
    std::vector<SampleTerm> terms;
    for (const TermPlan& plan : termPlans) {
        SampleTerm term{plan.code, utf8ToText(plan.displayName), {}};
        for (int i = 0; i < plan.classCount; ++i) term.classes.push_back(makeClass(plan, i));
        terms.push_back(std::move(term));
    }
    return terms;
}

}  // namespace

const std::vector<SampleTerm>& sampleTerms() {
    static const std::vector<SampleTerm> terms = makeTerms();
    return terms;
}

const SampleTerm* findSampleTerm(const Text& code) {
    for (const SampleTerm& term : sampleTerms())
        if (term.code == code) return &term;
    return nullptr;
}

const SampleClass* findSampleClass(const Text& termCode, const Text& className) {
    const SampleTerm* term = findSampleTerm(termCode);
    if (!term) return nullptr;
    for (const SampleClass& sampleClass : term->classes)
        if (sampleClass.name == className) return &sampleClass;
    return nullptr;
}

}  // namespace tavolin
