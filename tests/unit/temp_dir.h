#pragma once
// TempDir: a fresh, empty directory for one test, removed with everything in it when the
// TempDir goes. Works natively and under Wine (std::filesystem). Paths are handed out as
// narrow strings with the platform's own separator, as the program's code receives them.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>

namespace velkaro {

class TempDir {
public:
    TempDir() {
        namespace fs = std::filesystem;
        static unsigned counter = 0;
        auto stamp = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
        for (unsigned attempt = 0; attempt < 1000; ++attempt) {
            fs::path candidate = fs::temp_directory_path() /
                                 ("velkaro-test-" + std::to_string(stamp % 1000000007u) + "-" +
                                  std::to_string(++counter));
            std::error_code error;
            if (fs::create_directory(candidate, error)) {
                path_ = candidate;
                return;
            }
        }
        throw std::runtime_error("cannot create a temporary directory");
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory itself, without a trailing separator.
    std::string Path() const { return path_.string(); }
    // The path of `name` inside the directory.
    std::string File(const std::string& name) const { return (path_ / name).string(); }

    // Writes `bytes` as the whole content of `name` (binary).
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + File(name));
    }
    // The whole content of `name` (binary); empty if it cannot be read.
    std::string Read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }
    void MakeDirectory(const std::string& name) const { std::filesystem::create_directories(path_ / name); }
    void Remove(const std::string& name) const {
        std::error_code ignored;
        std::filesystem::remove_all(path_ / name, ignored);
    }
    // The names of the entries directly in the directory, in any order.
    std::size_t EntryCount() const {
        return std::size_t(std::distance(std::filesystem::directory_iterator(path_),
                                         std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path path_;
};

}  // namespace velkaro
