// Writes a seed corpus for unattended_config_fuzz into the directory named on
// the command line: answer files as administrators write them, and the odd
// shapes the parser has to get through (byte-order mark, declarations with an
// encoding, comments, CDATA, deep and flat nesting, broken markup).
//
// Usage: unattended_config_seeds <directory>   (the directory must exist)

#include <cstdio>
#include <string>

namespace {

bool WriteSeed(const std::string& directory, const char* name, const std::string& text) {
    const std::string path = directory + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

std::string Repeated(const std::string& part, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += part;
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const struct {
        const char* name;
        std::string text;
    } seeds[] = {
        {"complete.ini",
         "<?xml version=\"1.0\" ?>\r\n<Unattended Lang=\"Chinese\" EndUserLicense=\"Agree\" ShowPanel=\"Yes\" "
         "HID=\"3\" Path=\"D:\\Apps\" />\r\n"},
        {"empty_element.ini", "<Unattended/>"},
        {"declaration_only.ini", "<?xml version=\"1.0\" ?>\r\n"},
        {"bom.ini", "\xEF\xBB\xBF<Unattended Lang=\"Korean\" HID=\" 7x\"/>\n"},
        {"encoding.ini",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Unattended Path=\"D:\\\xE9\x85\x8D&#x41;&amp;\"/>"},
        {"legacy.ini", "<?xml version='1.0' encoding='ISO-8859-1'?><Unattended Path='C:\\\xC4'/>"},
        {"nested.ini", "<!-- lab --><Root><Unattended Lang=\"Deutsch\"/></Root><Unattended ShowPanel=\"No\"/>"},
        {"markup.ini", "<a x='>' y=\"/>\"><![CDATA[<b>]]><!DOCTYPE x><?pi?>text &lt;</a><Unattended/>"},
        {"deep.ini", "<Unattended/>" + Repeated("<e>", 256) + Repeated("</e>", 256)},
        {"too_deep.ini", "<Unattended/>" + Repeated("<e>", 300)},
        {"flat.ini", "<r>" + Repeated("<s/>", 400) + "</r><Unattended/>"},
        {"malformed.ini", "<Unattended Lang=\"Chinese\""},
    };
    for (const auto& seed : seeds) {
        if (!WriteSeed(dir, seed.name, seed.text)) {
            std::fprintf(stderr, "cannot write seeds into %s\n", argv[1]);
            return 1;
        }
    }
    return 0;
}
