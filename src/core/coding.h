// Fixed-width integers in byte buffers, in both byte orders.  The table
// engine's files mix them: little-endian in data file headers and memo block
// numbers of later tables, big-endian in memo file headers and in the keys
// and page pointers of compound indexes.  Every file format reads and
// writes its numbers through these, never through hand-written shifts.
#ifndef QX_CORE_CODING_H
#define QX_CORE_CODING_H

#include <cstdint>

namespace qx::coding {

inline uint16_t get16le(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t get32le(const unsigned char* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline uint64_t get64le(const unsigned char* p) {
  return uint64_t{get32le(p)} | (uint64_t{get32le(p + 4)} << 32);
}
inline uint16_t get16be(const unsigned char* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint32_t get32be(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}
inline uint64_t get64be(const unsigned char* p) {
  return (uint64_t{get32be(p)} << 32) | get32be(p + 4);
}

inline void put16le(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void put32le(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void put64le(unsigned char* p, uint64_t v) {
  put32le(p, static_cast<uint32_t>(v));
  put32le(p + 4, static_cast<uint32_t>(v >> 32));
}
inline void put16be(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v >> 8);
  p[1] = static_cast<unsigned char>(v);
}
inline void put32be(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}
inline void put64be(unsigned char* p, uint64_t v) {
  put32be(p, static_cast<uint32_t>(v >> 32));
  put32be(p + 4, static_cast<uint32_t>(v));
}

// The same over char buffers (record images are char).
inline uint32_t get32le(const char* p) { return get32le(reinterpret_cast<const unsigned char*>(p)); }
inline void put32le(char* p, uint32_t v) { put32le(reinterpret_cast<unsigned char*>(p), v); }

}  // namespace qx::coding

#endif  // QX_CORE_CODING_H
