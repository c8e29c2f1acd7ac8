#pragma once
// What every fuzz target shares: the input bytes become a file in a private temporary folder, the
// reader opens that file by name as the program does, and afterwards the file must still hold
// exactly the input and the folder nothing but the files the reader may write. A difference ends
// the run as a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <system_error>
#include <unistd.h>

namespace fuzz {

inline const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path base = std::filesystem::temp_directory_path();
    std::string pattern = (base / "tarvane-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Folder(), ec);
    });
    return std::filesystem::path(pattern);
  }();
  return folder;
}

[[noreturn]] inline void Finding(const std::string& what) {
  std::fprintf(stderr, "fuzz finding: %s\n", what.c_str());
  std::abort();
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Finding("the input file " + path.string() + " is gone");
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Input {
public:
  // `name` is the file name the reader sees, e.g. "input.rdf".
  Input(const uint8_t* data, std::size_t size, const std::string& name)
      : bytes_(reinterpret_cast<const char*>(data), size), path_(Folder() / name) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(Folder()))
      std::filesystem::remove_all(entry.path(), ec);
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
    out.close();
    if (!out) Finding("cannot write " + path_.string());
  }

  std::string path() const { return path_.string(); }
  // The same name with another extension ("rdf"), as the imports write it.
  std::string sibling(const std::string& extension) const {
    std::filesystem::path p = path_;
    return p.replace_extension(extension).string();
  }

  // The input file is byte-identical, and beside it there is only what `allowed` names.
  void check(std::initializer_list<std::string> allowed = {}) const {
    if (ReadBytes(path_) != bytes_) Finding("the reader changed its input file");
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
      const std::string name = entry.path().filename().string();
      bool ok = entry.path() == path_;
      for (const std::string& a : allowed) ok = ok || name == a;
      if (!ok) Finding("the reader left " + name + " behind");
    }
  }

private:
  std::string bytes_;
  std::filesystem::path path_;
};

}  // namespace fuzz
