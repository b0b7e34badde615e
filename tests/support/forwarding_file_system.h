// The base of every test double of the file system: it passes every request to a wrapped
// FileSystem, so a double overrides only what it changes and cannot drop a method (such as
// createNewFile, replaceFile, confineTo or allowsConcurrentListing) by leaving it out.
// ForwardingListing and ForwardingFile do the same for a folder listing and an open file.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace brimwell::testing {

class ForwardingListing : public FolderListing {
 public:
  explicit ForwardingListing(std::unique_ptr<FolderListing> real) : real_(std::move(real)) {}
  bool next(DirEntry& entry) override { return real_->next(entry); }
  int error() const override { return real_->error(); }

 private:
  std::unique_ptr<FolderListing> real_;
};

class ForwardingFile : public WritableFile {
 public:
  explicit ForwardingFile(std::unique_ptr<WritableFile> real) : real_(std::move(real)) {}
  int write(const void* data, std::size_t size, std::size_t& written) override {
    return real_->write(data, size, written);
  }
  int reserve(std::uint64_t offset, std::uint64_t size, bool& placed) override {
    return real_->reserve(offset, size, placed);
  }
  int collapse(std::uint64_t offset, std::uint64_t size) override {
    return real_->collapse(offset, size);
  }
  int writeOut() override { return real_->writeOut(); }
  int close() override { return real_->close(); }

 private:
  std::unique_ptr<WritableFile> real_;
};

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& real) : real_(real) {}

  std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes,
                                            int& error) override {
    return real_.listFolder(path, withSizes, error);
  }
  bool attributes(const std::string& path, PathAttributes& out) override {
    return real_.attributes(path, out);
  }
  void confineTo(const std::optional<std::string>& target) override { real_.confineTo(target); }
  int createFolder(const std::string& path) override { return real_.createFolder(path); }
  std::unique_ptr<WritableFile> createFile(const std::string& path, int& error) override {
    return real_.createFile(path, error);
  }
  std::unique_ptr<WritableFile> createNewFile(const std::string& path, int& error) override {
    return real_.createNewFile(path, error);
  }
  std::unique_ptr<WritableFile> replaceFile(const std::string& path, int& error) override {
    return real_.replaceFile(path, error);
  }
  int readFile(const std::string& path, std::string& contents) override {
    return real_.readFile(path, contents);
  }
  int deleteFile(const std::string& path) override { return real_.deleteFile(path); }
  int renameFile(const std::string& from, const std::string& to) override {
    return real_.renameFile(from, to);
  }
  std::unique_ptr<WritableFile> appendToFile(const std::string& path, int& error) override {
    return real_.appendToFile(path, error);
  }
  bool allowsConcurrentListing() const override { return real_.allowsConcurrentListing(); }

 protected:
  FileSystem& real() const { return real_; }

 private:
  FileSystem& real_;
};

}  // namespace brimwell::testing
