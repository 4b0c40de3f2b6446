#include "widgets/SoundServerDevices.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QMediaDevices>

#ifdef TONVALE_HAVE_LIBPULSE
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

#include <QElapsedTimer>
#endif

namespace {

struct ServerDefaults
{
    QByteArray Source; // the server's names, which Qt uses as device ids
    QByteArray Sink;
};

#ifdef TONVALE_HAVE_LIBPULSE

// A server that does not answer in this time is not waited for: the take or
// the play goes to Qt's default instead of hanging the screen.
constexpr qint64 AnswerMilliseconds = 500;
constexpr int PollMicroseconds = 20000;

struct Query
{
    ServerDefaults Defaults;
    bool Listed = false; // the device asked for by name
    bool Answered = false;
};

void ServerInfoArrived(pa_context*, const pa_server_info* info, void* data)
{
    auto* query = static_cast<Query*>(data);
    if (info != nullptr) {
        query->Defaults.Source = info->default_source_name;
        query->Defaults.Sink = info->default_sink_name;
    }
    query->Answered = true;
}

// The server calls back once per device of that name, then once more to end.
template <typename Info>
void DeviceInfoArrived(pa_context*, const Info* info, int last, void* data)
{
    auto* query = static_cast<Query*>(data);
    if (info != nullptr) query->Listed = true;
    if (last != 0) query->Answered = true;
}

// Runs the loop until done() or the time is up; false when the time ran out.
template <typename Done>
bool RunUntil(pa_mainloop* loop, const QElapsedTimer& clock, Done done)
{
    while (!done()) {
        if (clock.elapsed() > AnswerMilliseconds) return false;
        if (pa_mainloop_prepare(loop, PollMicroseconds) < 0 || pa_mainloop_poll(loop) < 0 ||
            pa_mainloop_dispatch(loop) < 0)
            return false;
    }
    return true;
}

// Through libpulse, which PipeWire's PulseAudio server answers as well, on
// a connection of its own: Qt's may be the one that is lost. ask starts one
// operation that answers into the query; false when the server could not be
// reached or did not answer.
template <typename Ask>
bool AskServer(Query& query, Ask ask)
{
    QElapsedTimer clock;
    clock.start();
    pa_mainloop* loop = pa_mainloop_new();
    if (loop == nullptr) return {};
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop),
                                         QCoreApplication::applicationName().toUtf8().constData());
    if (context != nullptr &&
        pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        const auto settled = [context] {
            const pa_context_state_t state = pa_context_get_state(context);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        };
        if (RunUntil(loop, clock, settled) && pa_context_get_state(context) == PA_CONTEXT_READY) {
            if (pa_operation* asked = ask(context)) {
                RunUntil(loop, clock, [&query] { return query.Answered; });
                pa_operation_unref(asked);
            }
        }
        pa_context_disconnect(context);
    }
    if (context != nullptr) pa_context_unref(context);
    pa_mainloop_free(loop);
    return query.Answered;
}

ServerDefaults AskDefaults()
{
    Query query;
    AskServer(query, [&query](pa_context* context) {
        return pa_context_get_server_info(context, ServerInfoArrived, &query);
    });
    return query.Defaults;
}

bool ServerLists(const QAudioDevice& device)
{
    Query query;
    const QByteArray name = device.id();
    const bool answered = AskServer(query, [&](pa_context* context) {
        return device.mode() == QAudioDevice::Input
                   ? pa_context_get_source_info_by_name(context, name.constData(),
                                                        DeviceInfoArrived<pa_source_info>, &query)
                   : pa_context_get_sink_info_by_name(context, name.constData(),
                                                      DeviceInfoArrived<pa_sink_info>, &query);
    });
    return answered && query.Listed;
}

#else

ServerDefaults AskDefaults()
{
    return {};
}

bool ServerLists(const QAudioDevice&)
{
    return false;
}

#endif

bool restartNeeded = false;

QAudioDevice Listed(const QList<QAudioDevice>& devices, const QByteArray& id,
                    const QAudioDevice& otherwise)
{
    if (!id.isEmpty())
        for (const QAudioDevice& device : devices)
            if (device.id() == id) return device;
    return otherwise;
}

} // namespace

QAudioDevice ChosenAudioInput()
{
    return Listed(QMediaDevices::audioInputs(), AskDefaults().Source,
                  QMediaDevices::defaultAudioInput());
}

QAudioDevice ChosenAudioOutput()
{
    return Listed(QMediaDevices::audioOutputs(), AskDefaults().Sink,
                  QMediaDevices::defaultAudioOutput());
}

bool QtLostTheSoundServer(const QAudioDevice& device)
{
    if (!device.isNull() && ServerLists(device)) restartNeeded = true;
    return restartNeeded;
}

bool SoundSystemRestartNeeded()
{
    return restartNeeded;
}
