#pragma once

#include "sentences/audiodecoder.h"

// The entry points of the decoder module, looked up by name when it is
// loaded. They pass the program's own types: the module is built with the
// program and loaded only by it. A change to these types or signatures gets
// a new number in the names, so a stale module fails to load instead of
// crashing.
using DecodeEnvelopeEntry = void (*)(const QString &path, const DecodeControl &control,
                                     double frameSeconds, DecodeResult &result);
using DecodeSamplesEntry = void (*)(const QString &path, const DecodeControl &control, int rate,
                                    const SampleSink &sink, DecodeResult &result);
using DecoderQuietEntry = void (*)();
inline constexpr char DecodeEnvelopeEntryName[] = "quillmar_decode_envelope_3";
inline constexpr char DecodeSamplesEntryName[] = "quillmar_decode_samples_2";
inline constexpr char DecoderQuietEntryName[] = "quillmar_decoder_quiet_3";
