#pragma once

// Runs velvor-render's command in-process, in a fresh temporary folder per test.

#include "app/RenderCommand.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

class RenderCommandFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              (std::string("velvor-render-") + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_suite()->name() + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Runs "velvor-render ARGS..."; the standard streams are kept in `out` and `err`.
    int run(std::vector<std::string> args) {
        args.insert(args.begin(), "velvor-render");
        std::vector<const char*> argv;
        argv.reserve(args.size());
        for (const std::string& a : args) {
            argv.push_back(a.c_str());
        }
        out.str("");
        err.str("");
        return runRenderCommand(static_cast<int>(argv.size()), argv.data(), out, err, false);
    }

    std::string file(const std::string& name) const { return (dir / name).string(); }
    std::string write(const std::string& name, const std::string& text) const {
        std::ofstream(file(name), std::ios::binary) << text;
        return file(name);
    }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        return write(name, std::string(bytes.begin(), bytes.end()));
    }
    static std::string read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir;
    std::ostringstream out;
    std::ostringstream err;
};
