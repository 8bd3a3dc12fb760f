#include "sim/keyframe_pack.h"

#include <zstd.h>

#include <algorithm>
#include <memory>

#include "config/errors.h"

namespace viv {
namespace {

// The window reaches back over the base, so that matches into it are found (up to 128 MB).
int WindowLog(size_t span) {
  int log = 20;
  while (log < 27 && (size_t{1} << log) < span) ++log;
  return log;
}

struct TFreeCCtx {
  void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
};
struct TFreeDCtx {
  void operator()(ZSTD_DCtx* d) const { ZSTD_freeDCtx(d); }
};

// Far beyond the body of any world the creature limit allows.
constexpr uint64_t MaxKeyframe = uint64_t{2} << 30;

}  // namespace

std::string PackKeyframe(std::string_view body, std::string_view base) {
  const std::unique_ptr<ZSTD_CCtx, TFreeCCtx> cctx(ZSTD_createCCtx());
  if (!cctx) throw EVivarion("cannot pack a keyframe: out of memory");
  ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_compressionLevel, 3);
  ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_checksumFlag, 1);  // a damaged keyframe must not unpack
  ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_windowLog, WindowLog(base.size() + body.size()));
  if (!base.empty()) ZSTD_CCtx_refPrefix(cctx.get(), base.data(), base.size());
  std::string packed(ZSTD_compressBound(body.size()), '\0');
  const size_t n = ZSTD_compress2(cctx.get(), packed.data(), packed.size(), body.data(), body.size());
  if (ZSTD_isError(n)) throw EVivarion(std::string("cannot pack a keyframe: ") + ZSTD_getErrorName(n));
  // A keyframe lives long: it keeps only its own bytes, not the room packing reserved.
  return {packed.data(), n};
}

std::string UnpackKeyframe(std::string_view packed, uint64_t rawSize, std::string_view base) {
  if (ZSTD_getFrameContentSize(packed.data(), packed.size()) != rawSize)
    throw EVivarion("a keyframe does not unpack: its sizes do not agree");
  if (rawSize > MaxKeyframe) throw EVivarion("a keyframe does not unpack: it is larger than any world");
  const std::unique_ptr<ZSTD_DCtx, TFreeDCtx> dctx(ZSTD_createDCtx());
  if (!dctx) throw EVivarion("cannot unpack a keyframe: out of memory");
  ZSTD_DCtx_setParameter(dctx.get(), ZSTD_d_windowLogMax, 27);
  if (!base.empty()) ZSTD_DCtx_refPrefix(dctx.get(), base.data(), base.size());
  std::string body(rawSize, '\0');
  const size_t n = ZSTD_decompressDCtx(dctx.get(), body.data(), body.size(), packed.data(), packed.size());
  if (ZSTD_isError(n) || n != rawSize) throw EVivarion("a keyframe does not unpack: it is damaged");
  return body;
}

}  // namespace viv
