// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

// The voice's sample rate until the engine names its own, and the rate a
// silent voice keeps its pace by.
inline constexpr int kDefaultSampleRate = 22050;

// Mouth shapes the artwork can show; speech events pick one at a time.
enum class MouthShape { Rest, Closed, Open, Wide, Round, Narrow };

struct SpeechEvent {
    enum class Kind { Word, Mouth };
    Kind kind = Kind::Word;
    // Milliseconds from the start of the utterance's audio.
    qint64 audioMs = 0;
    // For Word: the word's characters in the spoken text (0-based).
    int textStart = 0;
    int textLength = 0;
    // For Mouth.
    MouthShape mouth = MouthShape::Rest;
};

// One piece of an utterance: mono signed 16-bit samples and the events that
// fall inside it. The last piece of an utterance has `final` set.
struct SpeechChunk {
    QByteArray pcm;
    std::vector<SpeechEvent> events;
    bool final = false;
};

// A text-to-speech engine. The worker thread constructs nothing on it and
// calls every member from that one thread, one call at a time.
class Synthesizer {
public:
    using ChunkSink = std::function<void(SpeechChunk &&)>;

    virtual ~Synthesizer() = default;

    // Prepares the engine. Returns false when the voice cannot be used;
    // `error` then says why in Italian. Called once before synthesize().
    virtual bool initialize(QString &error) = 0;
    virtual int sampleRate() const = 0;
    // Speaks `text` into pieces handed to `sink` in order, ending with one
    // whose `final` is set, also on failure (then with no audio).
    virtual void synthesize(const QString &text, const ChunkSink &sink) = 0;
};
