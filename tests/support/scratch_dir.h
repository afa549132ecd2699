// A fresh folder for one test, removed with everything in it when the test ends.
#pragma once

#include <string>

namespace ostrel::testing {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::u16string& Path() const { return path_; }
  // Path of a file or folder inside, joined with the platform's separator.
  std::u16string File(const std::u16string& relative) const;
  void MakeFolder(const std::u16string& relative) const;
  void WriteFile(const std::u16string& relative, const std::string& bytes) const;
  std::string ReadFile(const std::u16string& relative) const;
  bool Exists(const std::u16string& relative) const;
#ifndef _WIN32
  // Files that are not regular, for the tests of readers that must refuse them.
  void MakeFifo(const std::u16string& relative) const;
  void MakeLink(const std::u16string& relative, const std::string& target) const;
#endif

 private:
  std::u16string path_;
};

}  // namespace ostrel::testing
