#include "cli/FrameModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <mutex>

namespace {

using FindFunction = void (*)(const QString *, const SheetIdentity *, FrameResult *);
using SourceFunction = void (*)(CornerSource *);

struct Loaded
{
    FindFunction find = nullptr;
    SourceFunction source = nullptr;
    QLibrary *library = nullptr; // kept loaded for the life of the program
    QString error;
};

const Loaded &loaded()
{
    static Loaded state;
    static std::once_flag once;
    std::call_once(once, [] {
        // Beside the program (the build tree and a plain install of bin/),
        // or in lib/quillmark beside its bin/.
        const QString dir = QCoreApplication::applicationDirPath();
        const QStringList candidates = {dir + QStringLiteral("/quillmark-cli-frame"),
                                        dir + QStringLiteral("/../lib/quillmark/quillmark-cli-frame")};
        QStringList reasons;
        for (const QString &name : candidates) {
            // Never unloaded: the corner sources it hands out run its code.
            auto *library = new QLibrary(name);
            if (library->load()) {
                state.find = reinterpret_cast<FindFunction>(library->resolve("quillmark_frame_find"));
                state.source = reinterpret_cast<SourceFunction>(library->resolve("quillmark_frame_corner_source"));
                if (state.find && state.source) {
                    state.library = library;
                    return;
                }
                state.find = nullptr;
                state.source = nullptr;
            }
            reasons.append(library->errorString());
            delete library;
        }
        state.error = QStringLiteral("cannot load the frame finder module (%1)").arg(reasons.join(QStringLiteral("; ")));
    });
    return state;
}

} // namespace

bool FrameModule::load(QString &error)
{
    const Loaded &state = loaded();
    error = state.error;
    return state.find != nullptr;
}

FrameResult FrameModule::find(const QString &imagePath, const SheetIdentity &sheet)
{
    FrameResult result;
    const Loaded &state = loaded();
    if (!state.find) {
        result.reason = state.error;
        return result;
    }
    state.find(&imagePath, &sheet, &result);
    return result;
}

CornerSource FrameModule::cornerSource()
{
    CornerSource source;
    const Loaded &state = loaded();
    if (state.source)
        state.source(&source);
    return source;
}
