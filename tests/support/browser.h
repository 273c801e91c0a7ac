#ifndef HALYX_TESTS_SUPPORT_BROWSER_H
#define HALYX_TESTS_SUPPORT_BROWSER_H

#include <map>
#include <string>
#include <vector>

namespace halyx_test {

// Headless Chromium (the Debian package) for tests that open our pages: each call starts
// one browser with a fresh profile in a temporary folder, loads a file:// URL (a
// #fragment included) and ends.
class Browser {
public:
    // The browser's path, or empty when it is not installed.
    static std::string find();
    explicit Browser(std::string program) : program_(std::move(program)) {}

    // The document as it stands after the page has loaded and run its start-up code.
    std::string dumpDom(const std::string& file, const std::string& fragment) const;
    // A PNG of the page at width x height pixels; throws std::runtime_error on failure.
    void screenshot(const std::string& file, const std::string& fragment, const std::string& png,
                    int width, int height) const;

private:
    std::string run(std::vector<std::string> args, const std::string& url) const;

    std::string program_;
};

// The attributes of every start tag in `html` that carries class `cls` (among others).
using Attributes = std::map<std::string, std::string>;
std::vector<Attributes> elementsWithClass(const std::string& html, const std::string& cls);
// The attributes and text of the element with id `id` (text up to its first child tag).
Attributes elementWithId(const std::string& html, const std::string& id, std::string* text);

}  // namespace halyx_test

#endif
