// Makes the manual page from the program's --help, so that the two cannot say different things.
// The form of that text is set out beside usageText() in src/app/CommandLine.cpp.
// Usage: help_to_man HELP_TEXT MAN_PAGE VERSION DATE

#include <cctype>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    // A line beginning with a dot or an apostrophe would be read as a request.
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

bool isPlaceholder(const std::string& word)
{
    bool capital = false;
    for (char c : word) {
        if (std::isupper(static_cast<unsigned char>(c)))
            capital = true;
        else if (!std::isdigit(static_cast<unsigned char>(c)) && c != '_')
            return false;
    }
    return capital;
}

// An entry's words: names to type in bold, placeholders (all capitals) in italics, values, paths and
// the brackets, bars and ellipses around them in roman.
std::string entry(const std::string& term)
{
    std::string out;
    std::size_t at = 0;
    while (at < term.size()) {
        std::size_t end = term.find(' ', at);
        if (end == std::string::npos)
            end = term.size();
        const std::string word = term.substr(at, end - at);
        std::size_t begin = 0, stop = word.size();
        while (begin < stop && (word[begin] == '[' || word[begin] == '|'))
            ++begin;
        while (stop > begin && (word[stop - 1] == ']' || word[stop - 1] == '.' || word[stop - 1] == '|'))
            --stop;
        const std::string core = word.substr(begin, stop - begin);
        std::string shown = escaped(core);
        const bool value = core.empty() || core.find_first_of("\"/<,") != std::string::npos;
        if (!value)
            shown = (isPlaceholder(core) ? "\\fI" : "\\fB") + shown + "\\fR";
        if (!out.empty())
            out += ' ';
        out += escaped(word.substr(0, begin)) + shown + escaped(word.substr(stop));
        at = end + 1;
    }
    return out;
}

std::string upper(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x80)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

bool indentedBy(const std::string& line, std::size_t blanks)
{
    return line.size() > blanks && line.compare(0, blanks, std::string(blanks, ' ')) == 0 && line[blanks] != ' ';
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::cerr << "usage: help_to_man HELP_TEXT MAN_PAGE VERSION DATE\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    if (lines.empty() || lines[0].find(" - ") == std::string::npos) {
        std::cerr << "help_to_man: " << argv[1] << " does not begin with \"name - summary\"\n";
        return 1;
    }

    std::string page = ".TH OSTRIVO\\-REPORT 1 \"" + std::string(argv[4]) + "\" \"ostrivo\\-report " + argv[3] +
                       "\" \"Comandi utente\"\n"
                       // English hyphenation patterns would break Italian words wrongly.
                       ".nh\n.SH NOME\n";
    std::size_t i = 0;
    for (; i < lines.size() && !lines[i].empty(); ++i)
        page += escaped(lines[i]) + '\n';

    enum class Last { Break, Paragraph, Described, Bare } last = Last::Break;
    while (i < lines.size()) {
        const std::string& line = lines[i++];
        if (line.empty()) {
            if (last == Last::Paragraph)
                last = Last::Break;
        } else if (line[0] != ' ' && line.back() == ':') {
            page += ".SH \"" + upper(line.substr(0, line.size() - 1)) + "\"\n";
            last = Last::Break;
        } else if (indentedBy(line, 2)) {
            const std::size_t gap = line.find("  ", 2);
            const std::string term = line.substr(2, gap == std::string::npos ? std::string::npos : gap - 2);
            std::vector<std::string> description;
            if (gap != std::string::npos)
                description.push_back(line.substr(line.find_first_not_of(' ', gap)));
            for (; i < lines.size() && indentedBy(lines[i], 6); ++i)
                description.push_back(lines[i].substr(6));
            if (description.empty()) {
                page += (last == Last::Bare ? ".br\n" : ".PP\n") + entry(term) + '\n';
                last = Last::Bare;
            } else {
                page += ".TP\n" + entry(term) + '\n';
                for (const std::string& text : description)
                    page += escaped(text) + '\n';
                last = Last::Described;
            }
        } else if (line[0] != ' ') {
            if (last != Last::Paragraph)
                page += ".PP\n";
            page += escaped(line) + '\n';
            last = Last::Paragraph;
        } else {
            std::cerr << "help_to_man: " << argv[1] << ":" << i << ": neither an entry (two blanks) nor its description (six): "
                      << line << '\n';
            return 1;
        }
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << page;
    out.close();
    if (!out) {
        std::cerr << "help_to_man: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
