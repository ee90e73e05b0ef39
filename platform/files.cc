// The file services' defaults for backends that cannot map a file or copy within the file
// system: whole reads and whole writes.
// Portable: no Win32 here.
#include "platform/files.h"

#include <algorithm>

#include "platform/text_mode.h"

namespace platform {

namespace {

// A file's bytes read whole, for a backend that cannot read at an offset.
class WholeFile : public FileReader {
 public:
  std::size_t size() const override { return bytes_.size(); }
  bool ReadAt(std::size_t offset, std::size_t size, std::string* bytes, std::string*) override {
    bytes->assign(std::string_view(bytes_).substr(std::min(offset, bytes_.size()), size));
    return true;
  }
  std::string bytes_;
};

}  // namespace

bool PiecesFit(std::size_t size, const std::vector<FilePiece>& pieces) {
  for (const FilePiece& piece : pieces) {
    if (piece.kept && (piece.offset > size || piece.size > size - piece.offset)) return false;
  }
  return true;
}

bool JoinPieces(std::string_view current, const std::vector<FilePiece>& pieces,
                std::string* joined) {
  if (!PiecesFit(current.size(), pieces)) return false;
  std::size_t size = 0;
  for (const FilePiece& piece : pieces) size += piece.kept ? piece.size : piece.bytes.size();
  joined->clear();
  joined->reserve(size);
  for (const FilePiece& piece : pieces) {
    if (piece.kept) {
      joined->append(current.substr(piece.offset, piece.size));
    } else {
      joined->append(piece.bytes);
    }
  }
  return true;
}

bool JoinWithFile(FileSystem& files, const std::string& path,
                  const std::vector<FilePiece>& pieces, std::string* joined, std::string* error) {
  std::string current;
  if (!files.ReadBinaryFile(path, &current, error)) return false;
  if (JoinPieces(current, pieces, joined)) return true;
  *error = FileError(kCannotWrite, path, kPieceOutsideFile);
  return false;
}

bool FileSystem::OpenFile(const std::string& path, std::unique_ptr<FileReader>* reader,
                          std::string* error) {
  auto whole = std::make_unique<WholeFile>();
  if (!ReadBinaryFile(path, &whole->bytes_, error)) return false;
  *reader = std::move(whole);
  return true;
}

bool FileSystem::SpliceFile(const std::string& path, const std::vector<FilePiece>& pieces,
                            std::string* error) {
  std::string joined;
  return JoinWithFile(*this, path, pieces, &joined, error) &&
         WriteBinaryFile(path, joined, error);
}

}  // namespace platform
