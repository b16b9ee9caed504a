// The four codecs of the benchmark behind BlockCodec.
#include "bench/Codecs.h"

// The streams read input through const pointers.
#define ZLIB_CONST
#include <lz4.h>
#include <zlib.h>
#include <zstd.h>

#include <limits>

#include "engine/LZRW1KH.h"

namespace parvex::bench {
namespace {

class LzrwCodec final : public BlockCodec {
 public:
  std::string Name() const override { return "lzrw1kh"; }
  std::size_t Bound(std::size_t n) const override { return n + kCompressSlack; }
  std::size_t Compress(const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                       std::size_t capacity) override {
    if (n > kMaxBlockInput || capacity < Bound(n)) throw CodecError("lzrw1kh: block too large");
    return compressor_.Compress(src, dst, static_cast<std::uint16_t>(n));
  }
  std::size_t Decompress(const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                         std::size_t capacity) override {
    if (n > std::numeric_limits<std::uint16_t>::max()) throw CodecError("lzrw1kh: block too large");
    try {
      return DecompressBlock(src, dst, static_cast<std::uint16_t>(n), capacity);
    } catch (const ECorruptBlock& e) {
      throw CodecError(std::string("lzrw1kh: ") + e.what());
    }
  }

 private:
  LzrwCompressor compressor_;
};

int AsInt(std::size_t n, const char* who) {
  if (n > static_cast<std::size_t>(std::numeric_limits<int>::max())) throw CodecError(std::string(who) + ": size too large");
  return static_cast<int>(n);
}

class Lz4Codec final : public BlockCodec {
 public:
  std::string Name() const override { return "lz4"; }
  std::size_t Bound(std::size_t n) const override {
    return static_cast<std::size_t>(LZ4_compressBound(AsInt(n, "lz4")));
  }
  std::size_t Compress(const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                       std::size_t capacity) override {
    const int got = LZ4_compress_default(reinterpret_cast<const char*>(src), reinterpret_cast<char*>(dst),
                                         AsInt(n, "lz4"), AsInt(capacity, "lz4"));
    if (got <= 0) throw CodecError("lz4: compression failed");
    return static_cast<std::size_t>(got);
  }
  std::size_t Decompress(const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                         std::size_t capacity) override {
    const int got = LZ4_decompress_safe(reinterpret_cast<const char*>(src), reinterpret_cast<char*>(dst),
                                        AsInt(n, "lz4"), AsInt(capacity, "lz4"));
    if (got < 0) throw CodecError("lz4: corrupt block");
    return static_cast<std::size_t>(got);
  }
};

class ZstdCodec final : public BlockCodec {
 public:
  ZstdCodec() : cctx_(ZSTD_createCCtx()), dctx_(ZSTD_createDCtx()) {
    if (cctx_ == nullptr || dctx_ == nullptr) throw CodecError("zstd: no memory for contexts");
  }
  ~ZstdCodec() override {
    ZSTD_freeCCtx(cctx_);
    ZSTD_freeDCtx(dctx_);
  }
  std::string Name() const override { return "zstd1"; }
  std::size_t Bound(std::size_t n) const override { return ZSTD_compressBound(n); }
  std::size_t Compress(const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                       std::size_t capacity) override {
    const std::size_t got = ZSTD_compressCCtx(cctx_, dst, capacity, src, n, 1);
    if (ZSTD_isError(got)) throw CodecError(std::string("zstd: ") + ZSTD_getErrorName(got));
    return got;
  }
  std::size_t Decompress(const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                         std::size_t capacity) override {
    const std::size_t got = ZSTD_decompressDCtx(dctx_, dst, capacity, src, n);
    if (ZSTD_isError(got)) throw CodecError(std::string("zstd: ") + ZSTD_getErrorName(got));
    return got;
  }

 private:
  ZSTD_CCtx* cctx_;
  ZSTD_DCtx* dctx_;
};

// zlib format (as compress2/uncompress write and read it) with one deflate and
// one inflate stream that are reset per block instead of set up again.
class ZlibCodec final : public BlockCodec {
 public:
  ZlibCodec() {
    if (deflateInit(&deflater_, 1) != Z_OK) throw CodecError("zlib: deflateInit failed");
    if (inflateInit(&inflater_) != Z_OK) {
      deflateEnd(&deflater_);
      throw CodecError("zlib: inflateInit failed");
    }
  }
  ~ZlibCodec() override {
    deflateEnd(&deflater_);
    inflateEnd(&inflater_);
  }
  std::string Name() const override { return "zlib1"; }
  std::size_t Bound(std::size_t n) const override {
    return deflateBound(const_cast<z_stream*>(&deflater_), static_cast<uLong>(n));
  }
  std::size_t Compress(const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                       std::size_t capacity) override {
    deflateReset(&deflater_);
    deflater_.next_in = src;
    deflater_.avail_in = static_cast<uInt>(n);
    deflater_.next_out = dst;
    deflater_.avail_out = static_cast<uInt>(capacity);
    if (deflate(&deflater_, Z_FINISH) != Z_STREAM_END) throw CodecError("zlib: output buffer too small");
    return static_cast<std::size_t>(deflater_.total_out);
  }
  std::size_t Decompress(const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                         std::size_t capacity) override {
    inflateReset(&inflater_);
    inflater_.next_in = src;
    inflater_.avail_in = static_cast<uInt>(n);
    inflater_.next_out = dst;
    inflater_.avail_out = static_cast<uInt>(capacity);
    if (inflate(&inflater_, Z_FINISH) != Z_STREAM_END) throw CodecError("zlib: corrupt or truncated block");
    return static_cast<std::size_t>(inflater_.total_out);
  }

 private:
  z_stream deflater_{};
  z_stream inflater_{};
};

}  // namespace

std::vector<std::unique_ptr<BlockCodec>> MakeCodecs() {
  std::vector<std::unique_ptr<BlockCodec>> codecs;
  codecs.push_back(std::make_unique<LzrwCodec>());
  codecs.push_back(std::make_unique<Lz4Codec>());
  codecs.push_back(std::make_unique<ZstdCodec>());
  codecs.push_back(std::make_unique<ZlibCodec>());
  return codecs;
}

}  // namespace parvex::bench
