#include "film/film_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <unistd.h>

#include <mutex>
#include <vector>

#include "config/errors.h"
#include "config/files.h"

namespace viv {

struct TFilmParts {
  const AVOutputFormat* Format = nullptr;
  const AVCodec* Codec = nullptr;
  AVFormatContext* Container = nullptr;
  AVCodecContext* Encoder = nullptr;
  AVStream* Stream = nullptr;
  AVFrame* Frame = nullptr;
  AVPacket* Packet = nullptr;
  SwsContext* Scaler = nullptr;

  ~TFilmParts() {
    sws_freeContext(Scaler);
    av_packet_free(&Packet);
    av_frame_free(&Frame);
    avcodec_free_context(&Encoder);
    if (Container) {
      if (Container->pb) avio_closep(&Container->pb);
      avformat_free_context(Container);
    }
  }
};

namespace {

std::string ErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The libraries' notes (the encoder's settings, its statistics at the end) are for their
// developers: only errors reach the terminal.
void QuietLibraries() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

}  // namespace

void CheckFilmFormat(int32_t width, int32_t height, int32_t fps) {
  if (width < 16 || height < 16 || width > 8192 || height > 8192 || width % 2 != 0 || height % 2 != 0)
    throw EVivarion("a film's width and height must be even numbers from 16 to 8192, not " + std::to_string(width) +
                    "x" + std::to_string(height));
  if (fps < 1 || fps > 240) throw EVivarion("a film's frame rate must be 1 to 240, not " + std::to_string(fps));
}

TFilmEncoder::TFilmEncoder(const std::string& fileName, int32_t width, int32_t height, int32_t fps)
    : fileName_(fileName), width_(width), height_(height), fps_(fps), parts_(std::make_unique<TFilmParts>()) {
  QuietLibraries();
  CheckFilmFormat(width, height, fps);
  TFilmParts& p = *parts_;
  // The containers that play everywhere and take H.264 or VP9 as they are; others (AVI, FLV)
  // would be written without a word but play badly or not at all.
  const bool known = EndsWith(fileName, ".mp4") || EndsWith(fileName, ".webm") || EndsWith(fileName, ".mkv") ||
                     EndsWith(fileName, ".mov");
  p.Format = known ? av_guess_format(nullptr, fileName.c_str(), nullptr) : nullptr;
  if (p.Format == nullptr || p.Format->flags & AVFMT_NOFILE)
    throw EVivarion(fileName + ": a film's name must end in a video container's ending: .mp4, .webm, .mkv or .mov");
  // H.264 for every container but WebM, which takes VP9; VP9 where H.264 is missing.
  const std::vector<const char*> encoders = EndsWith(fileName, ".webm")
                                                ? std::vector<const char*>{"libvpx-vp9"}
                                                : std::vector<const char*>{"libx264", "libvpx-vp9"};
  for (const char* name : encoders) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (codec && avformat_query_codec(p.Format, codec->id, FF_COMPLIANCE_NORMAL) == 1) {
      p.Codec = codec;
      break;
    }
  }
  if (p.Codec == nullptr) throw EVivarion(fileName + ": no H.264 or VP9 encoder for this kind of file");

  CheckWritable(fileName);  // the folder, before anything is made
  temporary_ = MakeTemporaryBeside(fileName);
  try {
    int error = avformat_alloc_output_context2(&p.Container, p.Format, nullptr, temporary_.c_str());
    if (error < 0) Fail("cannot make the container", error);
    p.Stream = avformat_new_stream(p.Container, nullptr);
    p.Encoder = avcodec_alloc_context3(p.Codec);
    p.Frame = av_frame_alloc();
    p.Packet = av_packet_alloc();
    if (!p.Stream || !p.Encoder || !p.Frame || !p.Packet) Fail("out of memory", AVERROR(ENOMEM));
    AVCodecContext& e = *p.Encoder;
    e.width = width;
    e.height = height;
    e.time_base = AVRational{1, fps};
    e.framerate = AVRational{fps, 1};
    e.pix_fmt = AV_PIX_FMT_YUV420P;  // what every player decodes
    e.gop_size = 2 * fps;            // a key frame every two seconds, to seek by
    if (p.Container->oformat->flags & AVFMT_GLOBALHEADER) e.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    if (p.Codec->id == AV_CODEC_ID_H264) {
      // Worlds are flat colours on black: a fast preset keeps them sharp at a small size.
      av_dict_set(&options, "preset", "veryfast", 0);
      av_dict_set(&options, "crf", "20", 0);
    } else {
      av_dict_set(&options, "crf", "32", 0);
      av_dict_set(&options, "b", "0", 0);
      av_dict_set(&options, "deadline", "realtime", 0);
      av_dict_set(&options, "cpu-used", "8", 0);
      av_dict_set(&options, "row-mt", "1", 0);
    }
    error = avcodec_open2(p.Encoder, p.Codec, &options);
    av_dict_free(&options);
    if (error < 0) Fail("cannot open the encoder", error);
    error = avcodec_parameters_from_context(p.Stream->codecpar, p.Encoder);
    if (error < 0) Fail("cannot describe the stream", error);
    p.Stream->time_base = e.time_base;
    p.Stream->avg_frame_rate = e.framerate;
    p.Frame->format = e.pix_fmt;
    p.Frame->width = width;
    p.Frame->height = height;
    error = av_frame_get_buffer(p.Frame, 0);
    if (error < 0) Fail("out of memory", error);
    error = avio_open(&p.Container->pb, temporary_.c_str(), AVIO_FLAG_WRITE);
    if (error < 0) Fail("cannot write the file", error);
    AVDictionary* header = nullptr;
    // MP4's index at the front, so that a film plays while it downloads.
    if (EndsWith(fileName, ".mp4") || EndsWith(fileName, ".mov")) av_dict_set(&header, "movflags", "+faststart", 0);
    error = avformat_write_header(p.Container, &header);
    av_dict_free(&header);
    if (error < 0) Fail("cannot write the file", error);
  } catch (...) {
    parts_.reset();
    unlink(temporary_.c_str());
    throw;
  }
}

TFilmEncoder::~TFilmEncoder() {
  if (finished_) return;
  parts_.reset();
  unlink(temporary_.c_str());
}

void TFilmEncoder::Fail(const std::string& what, int error) const {
  throw EVivarion(fileName_ + ": " + what + ": " + ErrorText(error));
}

void TFilmEncoder::AddFrame(const uint8_t* pixels, int32_t width, int32_t height, int32_t bytesPerLine) {
  TFilmParts& p = *parts_;
  p.Scaler = sws_getCachedContext(p.Scaler, width, height, AV_PIX_FMT_BGR0, width_, height_, AV_PIX_FMT_YUV420P,
                                  SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (p.Scaler == nullptr)
    throw EVivarion(fileName_ + ": cannot scale a frame of " + std::to_string(width) + "x" + std::to_string(height));
  int error = av_frame_make_writable(p.Frame);
  if (error < 0) Fail("out of memory", error);
  const uint8_t* planes[1] = {pixels};
  const int strides[1] = {bytesPerLine};
  sws_scale(p.Scaler, planes, strides, 0, height, p.Frame->data, p.Frame->linesize);
  p.Frame->pts = frames_;
  error = avcodec_send_frame(p.Encoder, p.Frame);
  if (error < 0) Fail("cannot encode a frame", error);
  ++frames_;
  Drain(false);
}

void TFilmEncoder::Drain(bool flush) {
  TFilmParts& p = *parts_;
  for (;;) {
    const int got = avcodec_receive_packet(p.Encoder, p.Packet);
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return;
    if (got < 0) Fail(flush ? "cannot finish the film" : "cannot encode a frame", got);
    av_packet_rescale_ts(p.Packet, p.Encoder->time_base, p.Stream->time_base);
    p.Packet->stream_index = p.Stream->index;
    const int error = av_interleaved_write_frame(p.Container, p.Packet);
    if (error < 0) Fail("cannot write the file", error);
  }
}

void TFilmEncoder::Finish() {
  if (finished_) return;
  TFilmParts& p = *parts_;
  int error = avcodec_send_frame(p.Encoder, nullptr);
  if (error < 0) Fail("cannot finish the film", error);
  Drain(true);
  error = av_write_trailer(p.Container);
  if (error < 0) Fail("cannot write the file", error);
  error = avio_closep(&p.Container->pb);
  if (error < 0) Fail("cannot write the file", error);
  MoveIntoPlace(temporary_, fileName_);
  finished_ = true;
}

std::string TFilmEncoder::Description() const {
  const TFilmParts& p = *parts_;
  std::string codec = p.Codec->id == AV_CODEC_ID_H264 ? "H.264" : "VP9";
  std::string container = p.Format->name;
  if (container == "mp4") container = "MP4";
  else if (container == "webm") container = "WebM";
  else if (container == "matroska") container = "Matroska";
  return codec + " (" + p.Codec->name + ") in " + container;
}

}  // namespace viv
