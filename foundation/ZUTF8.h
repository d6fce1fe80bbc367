// UTF-8 to UTF-16 and back, as the library speaks it on the wire and in packets.
//
// The decoder is lenient in the ways older peers rely on: a stray continuation
// byte (0x80-0xBF) decodes as the code point of the same value, and overlong forms
// and encoded surrogates are accepted. It rejects, with IllegalSequence, lead bytes
// 0xF8-0xFF, a follower that is not 10xxxxxx and values above U+10FFFF.
// An incomplete sequence at the end of the input is not an error: decoding stops
// before it, so that a stream reader can keep it for the next read. Only a true
// prefix counts as incomplete; bytes that can no longer become a valid sequence
// raise IllegalSequence at once, so a bad tail is never mistaken for one to wait on.
//
// The encoder turns a surrogate pair into one four-byte sequence and any other
// unit, a lone low surrogate included, into one to three bytes; a high surrogate
// that is last or not followed by a low one raises IllegalSequence.
//
// A too small output of the decoder raises std::overflow_error("ZDecodeUTF8").
// Both directions may change the elements of `out` past those they report written
// (never past `outCapacity`): they work on blocks of sixteen where they can.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/TessaroApi.h"

// Decodes the one sequence at `in` into `codePoint`. Returns the bytes used, or 0
// when `available` is 0 or the sequence is incomplete (`codePoint` then unchanged).
TESSARO_API size_t ZDecodeUTF8(const unsigned char* in, size_t available, uint32_t& codePoint);

// Decodes a whole buffer into at most `outCapacity` UTF-16 units and returns the
// units written. `inUsed` receives the bytes decoded: all of them, or up to the
// first byte of an incomplete sequence at the end. With `out` null nothing is
// written and the result is the number of units the input needs.
// When a sequence does not fit into the output (a pair needs two free units),
// overflow_error is raised; when a sequence is illegal, IllegalSequence. In both
// cases `inUsed` is left at that sequence's first byte and the units before it
// are in `out`.
TESSARO_API size_t ZDecodeUTF8(const unsigned char* in, size_t inLength, size_t& inUsed,
                               wchar_t* out, size_t outCapacity);

// Decodes a complete text. An incomplete sequence at its end raises IllegalSequence:
// the caller said the text was whole, so its tail is malformed, not pending.
TESSARO_API std::wstring ZDecodeUTF8(const char* in, size_t length);

// Encodes UTF-16 units and returns the bytes written. With an output the encoder
// stops before the first sequence that does not fit into `outCapacity` bytes (a
// pair is never split); `unitsConsumed`, when given, receives the units encoded.
// With `out` null it counts the bytes the whole input needs (and `unitsConsumed`
// receives `inLength`). An unpaired high surrogate raises IllegalSequence; the
// bytes before it are written and `unitsConsumed` is left at it.
TESSARO_API size_t ZEncodeUTF8(const wchar_t* in, size_t inLength, unsigned char* out,
                               size_t outCapacity, size_t* unitsConsumed);

// Encodes a whole text.
TESSARO_API std::string ZEncodeUTF8(const wchar_t* in, size_t inLength);
