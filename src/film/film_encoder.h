#pragma once
// Films: frames of 32-bit pixels encoded with FFmpeg's libraries into a video file. H.264 in
// MP4 where the encoder is there (the players and sites people share films on all take it),
// VP9 in WebM for .webm files or where H.264 is missing. The film is written into a temporary
// file beside its name and put in place by Finish, so that an interrupted film leaves nothing
// half-written under its name.
#include <cstdint>
#include <memory>
#include <string>

namespace viv {

struct TFilmParts;  // the libraries' state

class TFilmEncoder {
 public:
  // A film of width x height (even, 16 to 8192) at fps frames a second (1 to 240). Throws
  // EVivarion naming the file when it cannot be written (a missing folder, a name whose
  // ending is no video container, no encoder for it): before anything is recorded.
  TFilmEncoder(const std::string& fileName, int32_t width, int32_t height, int32_t fps);
  // Without Finish, the temporary file goes and no film is left.
  ~TFilmEncoder();
  TFilmEncoder(const TFilmEncoder&) = delete;
  TFilmEncoder& operator=(const TFilmEncoder&) = delete;

  // One frame: rows of 32-bit pixels, bytes blue, green, red, unused (Qt's RGB32 on a
  // little-endian machine), of any size: scaled to the film's.
  void AddFrame(const uint8_t* pixels, int32_t width, int32_t height, int32_t bytesPerLine);
  // Writes what the encoder still holds and the container's index, and puts the film in place.
  void Finish();

  int64_t Frames() const { return frames_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t Fps() const { return fps_; }
  const std::string& FileName() const { return fileName_; }
  // "H.264 (libx264) in MP4", for the programs to say what they write.
  std::string Description() const;

 private:
  void Drain(bool flush);
  [[noreturn]] void Fail(const std::string& what, int error) const;

  std::string fileName_, temporary_;
  int32_t width_, height_, fps_;
  int64_t frames_ = 0;
  bool finished_ = false;
  std::unique_ptr<TFilmParts> parts_;
};

// Checks film dimensions and rate as the constructor would, for options checked before a run:
// throws EVivarion with what is wrong.
void CheckFilmFormat(int32_t width, int32_t height, int32_t fps);

}  // namespace viv
