#include "tests/support/browser.h"

#include <filesystem>
#include <regex>
#include <stdexcept>

#include "tests/support/agent_process.h"

namespace halyx_test {

namespace {

constexpr int kBrowserTimeoutMs = 60000;

Attributes attributesOf(const std::string& tag) {
    static const std::regex attribute("([a-zA-Z-]+)=\"([^\"]*)\"");
    Attributes out;
    for (std::sregex_iterator m(tag.begin(), tag.end(), attribute), end; m != end; ++m) {
        out[(*m)[1]] = (*m)[2];
    }
    return out;
}

}  // namespace

std::string Browser::find() {
    for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
        if (std::filesystem::exists(path)) return path;
    }
    return "";
}

std::string Browser::run(std::vector<std::string> args, const std::string& url) const {
    TempDir profile;
    std::vector<std::string> all = {"--headless",
                                    "--no-sandbox",
                                    "--disable-gpu",
                                    "--disable-quic",
                                    "--no-first-run",
                                    "--disable-background-networking",
                                    "--disable-component-update",
                                    "--disable-sync",
                                    "--user-data-dir=" + profile.path()};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back(url);
    AgentProcess browser(program_, all, profile.path());
    const auto status = browser.waitExit(kBrowserTimeoutMs);
    if (status != 0) {
        throw std::runtime_error("the browser failed on " + url + ": " + browser.errors());
    }
    return browser.output();
}

std::string Browser::dumpDom(const std::string& file, const std::string& fragment) const {
    return run({"--dump-dom"}, "file://" + file + "#" + fragment);
}

void Browser::screenshot(const std::string& file, const std::string& fragment,
                         const std::string& png, int width, int height) const {
    run({"--hide-scrollbars", "--screenshot=" + png,
         "--window-size=" + std::to_string(width) + "," + std::to_string(height)},
        "file://" + file + "#" + fragment);
    if (!std::filesystem::exists(png)) throw std::runtime_error("no screenshot of " + file);
}

std::vector<Attributes> elementsWithClass(const std::string& html, const std::string& cls) {
    const std::regex tag("<[a-z]+ class=\"(?:[^\"]* )?" + cls + "(?: [^\"]*)?\"[^>]*>");
    std::vector<Attributes> out;
    for (std::sregex_iterator m(html.begin(), html.end(), tag), end; m != end; ++m) {
        out.push_back(attributesOf(m->str()));
    }
    return out;
}

Attributes elementWithId(const std::string& html, const std::string& id, std::string* text) {
    const std::regex tag("<[a-z]+ id=\"" + id + "\"[^>]*>([^<]*)");
    std::smatch m;
    if (!std::regex_search(html, m, tag)) return {};
    if (text != nullptr) *text = m[1];
    return attributesOf(m.str());
}

}  // namespace halyx_test
