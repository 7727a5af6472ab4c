#pragma once

// The folder tree a benchmark reads: the one named by TWINSIFT_BENCH_TREE (made
// by bench/make_tree.py), or else one that `fill` builds once in a fresh folder
// under /tmp, removed when the benchmark ends.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace twinsift::bench {

class OwnTree {
public:
    OwnTree(const char* name, void (*fill)(const std::string& folder)) {
        std::string pattern = std::string("/tmp/twinsift-bench-") + name + "-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_path = pattern + "/";
        fill(m_path);
    }
    ~OwnTree() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    OwnTree(const OwnTree&) = delete;
    OwnTree& operator=(const OwnTree&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

inline const std::string& benchTree(const char* name, void (*fill)(const std::string& folder)) {
    static const char* given = std::getenv("TWINSIFT_BENCH_TREE");
    if (given && *given) {
        static const std::string path = given;
        return path;
    }
    static const OwnTree own(name, fill);
    return own.path();
}

} // namespace twinsift::bench
