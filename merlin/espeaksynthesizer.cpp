// SPDX-License-Identifier: GPL-3.0-or-later
#include "merlin/espeaksynthesizer.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <QDebug>

#include <cstdio>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

namespace {

// Audio is handed out in pieces of this length so playback can start
// before a long sentence is fully synthesised.
constexpr int kBufferMs = 60;

struct SynthContext {
    const Synthesizer::ChunkSink *sink = nullptr;
    int textLength = 0;
    // Offsets of each character in the UTF-8 text, to turn the engine's
    // character positions back into QString indices.
    std::vector<int> qstringIndexOfChar;
};

// The utterance being synthesised on this thread. Pieces without events
// carry no user data, so the callback cannot rely on that to find it.
thread_local SynthContext *t_current = nullptr;

void reportStatus(const char *what, espeak_ng_STATUS status)
{
    std::fprintf(stderr, "zorvali: %s: ", what);
    espeak_ng_PrintStatusCodeMessage(status, stderr, nullptr);
}

// What the teacher reads: the cause in Italian and the package that mends it;
// the library's own English message goes to standard error beside it.
QString voiceFailure(espeak_ng_STATUS status)
{
    if (status == ENS_VOICE_NOT_FOUND)
        return QStringLiteral("Manca la voce italiana di Merlin: installate il pacchetto espeak-ng-data.");
    return QStringLiteral("Mancano i dati della voce di Merlin o non si leggono: installate il pacchetto espeak-ng-data.");
}

int onSynth(short *wav, int numSamples, espeak_EVENT *events)
{
    SynthContext *context = t_current;
    if (!context)
        return 0;
    SpeechChunk chunk;
    for (espeak_EVENT *event = events; event && event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        if (event->type == espeakEVENT_WORD) {
            // text_position counts characters from 1.
            const int charIndex = std::max(0, event->text_position - 1);
            const auto &map = context->qstringIndexOfChar;
            const int start = charIndex < int(map.size()) ? map[charIndex] : context->textLength;
            const int endChar = charIndex + std::max(0, event->length);
            const int end = endChar < int(map.size()) ? map[endChar] : context->textLength;
            SpeechEvent word;
            word.kind = SpeechEvent::Kind::Word;
            word.audioMs = event->audio_position;
            word.textStart = std::min(start, context->textLength);
            word.textLength = std::max(0, std::min(end, context->textLength) - word.textStart);
            chunk.events.push_back(word);
        } else if (event->type == espeakEVENT_PHONEME) {
            char name[9] = {};
            std::memcpy(name, event->id.string, 8);
            SpeechEvent mouth;
            mouth.kind = SpeechEvent::Kind::Mouth;
            mouth.audioMs = event->audio_position;
            mouth.mouth = EspeakSynthesizer::mouthForPhoneme(name);
            chunk.events.push_back(mouth);
        } else if (event->type == espeakEVENT_END || event->type == espeakEVENT_MSG_TERMINATED) {
            SpeechEvent rest;
            rest.kind = SpeechEvent::Kind::Mouth;
            rest.audioMs = event->audio_position;
            rest.mouth = MouthShape::Rest;
            chunk.events.push_back(rest);
        }
    }
    if (wav && numSamples > 0)
        chunk.pcm = QByteArray(reinterpret_cast<const char *>(wav), numSamples * int(sizeof(short)));
    if (context->sink && (!chunk.pcm.isEmpty() || !chunk.events.empty()))
        (*context->sink)(std::move(chunk));
    return 0;
}

} // namespace

EspeakSynthesizer::EspeakSynthesizer(const QString &dataParent)
    : m_dataParent(dataParent.toLocal8Bit())
{
}

EspeakSynthesizer::~EspeakSynthesizer() = default;

bool EspeakSynthesizer::initialize(QString &error)
{
    // Shutting the library down can deadlock inside its internal queue
    // thread, and initialising it again after that is worse: it is started
    // once for the process and left to the process's end.
    static std::mutex guard;
    static bool tried = false;
    static bool ready = false;
    static int rate = kDefaultSampleRate;
    static QString failure;

    const std::lock_guard lock(guard);
    if (!tried) {
        tried = true;
        const char *path = m_dataParent.isEmpty() ? nullptr : m_dataParent.constData();
        // DONT_EXIT: without it missing voice data would end the whole program.
        const int result = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kBufferMs, path,
                                             espeakINITIALIZE_DONT_EXIT | espeakINITIALIZE_PHONEME_EVENTS);
        if (result <= 0) {
            // The library has already said why on standard error; a bare
            // code would tell the teacher nothing.
            failure = voiceFailure(ENS_NOT_INITIALIZED);
        } else {
            rate = result;
            espeak_SetSynthCallback(onSynth);
            // The library reports a failed start only through the voice lookup.
            const espeak_ng_STATUS voice = espeak_ng_SetVoiceByName("it");
            if (voice != ENS_OK) {
                reportStatus("voce italiana", voice);
                failure = voiceFailure(voice);
            } else {
                const espeak_ng_STATUS speed = espeak_ng_SetParameter(espeakRATE, 150, 0);
                if (speed != ENS_OK)
                    reportStatus("velocità della voce", speed);
                ready = true;
            }
        }
    }
    m_sampleRate = rate;
    m_ready = ready;
    error = failure;
    return ready;
}

void EspeakSynthesizer::synthesize(const QString &text, const ChunkSink &sink)
{
    const auto finish = [&sink] {
        SpeechChunk last;
        last.final = true;
        sink(std::move(last));
    };
    if (!m_ready || text.trimmed().isEmpty()) {
        finish();
        return;
    }

    SynthContext context;
    context.sink = &sink;
    context.textLength = int(text.size());
    for (int i = 0; i < text.size(); ++i) {
        context.qstringIndexOfChar.push_back(i);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            ++i;
    }
    const QByteArray utf8 = text.toUtf8();
    t_current = &context;
    const espeak_ng_STATUS status = espeak_ng_Synthesize(
        utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
        espeakCHARS_UTF8, nullptr, &context);
    t_current = nullptr;
    if (status != ENS_OK)
        reportStatus("sintesi", status);
    finish();
}

MouthShape EspeakSynthesizer::mouthForPhoneme(const char *name)
{
    if (!name)
        return MouthShape::Rest;
    while (*name && !std::isalpha(static_cast<unsigned char>(*name)) && *name != '_')
        ++name;
    switch (*name) {
    case '\0':
    case '_':
        return MouthShape::Rest;
    case 'a':
    case 'A':
        return MouthShape::Wide;
    case 'e':
    case 'E':
    case 'i':
    case 'I':
    case 'j':
        return MouthShape::Narrow;
    case 'o':
    case 'O':
    case 'u':
    case 'U':
    case 'w':
        return MouthShape::Round;
    case 'p':
    case 'b':
    case 'm':
    case 'f':
    case 'v':
        return MouthShape::Closed;
    default:
        return MouthShape::Open;
    }
}
