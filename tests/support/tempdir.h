// A fresh temporary folder for one test, removed with everything in it afterwards.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qvrtest-XXXXXX").string();
        char* p = mkdtemp(tmpl.data());
        path_ = p ? p : "";
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    // With a trailing '/', as the program folder is kept.
    std::string dir() const { return path_ + "/"; }

private:
    std::string path_;
};
