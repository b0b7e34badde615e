#include "observing_file_system.h"

namespace brimwell::testing {

namespace {

class ObservedFile : public WritableFile {
 public:
  ObservedFile(std::unique_ptr<WritableFile> real, ObservingFileSystem& fs, int number)
      : real_(std::move(real)), fs_(fs), number_(number) {}
  int write(const void* data, std::size_t size, std::size_t& written) override {
    fs_.noteWrite(number_, size);
    return real_->write(data, size, written);
  }
  int close() override { return real_->close(); }

 private:
  std::unique_ptr<WritableFile> real_;
  ObservingFileSystem& fs_;
  int number_;
};

}  // namespace

std::unique_ptr<WritableFile> ObservingFileSystem::createFile(const std::string& path, int& error) {
  if (beforeCreate) beforeCreate(filesCreated);
  auto file = real().createFile(path, error);
  if (!file) return nullptr;
  return std::make_unique<ObservedFile>(std::move(file), *this, filesCreated++);
}

}  // namespace brimwell::testing
