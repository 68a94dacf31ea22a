#include "ui/platform/modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <map>
#include <memory>

#include "ui/platform/platform.h"
#include "ui/platform/text.h"

namespace kakeibo {

QStringList ModuleFolders() {
    const QString exe = QCoreApplication::applicationDirPath();
    return {exe, QDir::cleanPath(exe + QStringLiteral("/" KAKEIBO_MODULES_FROM_BIN))};
}

void* ModuleSymbol(const QString& file, const char* symbol, const QString& what,
                   const QStringList& folders) {
    // A loaded module is never unloaded: the windows it made live on.
    static std::map<QString, std::unique_ptr<QLibrary>> loaded;
    QString why;
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(file);
        if (auto it = loaded.find(path); it != loaded.end()) {
            if (void* address = reinterpret_cast<void*>(it->second->resolve(symbol))) {
                return address;
            }
        }
        if (!QFileInfo::exists(path)) continue;
        auto library = std::make_unique<QLibrary>(path);
        // Every symbol bound at once: a module that does not fit the program fails here, with
        // the name of what it lacks, rather than at its first call.
        library->setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (!library->load()) {
            why = library->errorString();
            continue;
        }
        void* address = reinterpret_cast<void*>(library->resolve(symbol));
        if (address == nullptr) {
            why = library->errorString();
            continue;
        }
        loaded[path] = std::move(library);
        return address;
    }
    if (why.isEmpty()) {
        why = QStringLiteral("%1 が次の場所にありません：\n%2").arg(file, folders.join('\n'));
    }
    CurrentPlatform().ShowTypedMessage(
        MessageKind::Error,
        QStringLiteral("%1に必要な部品を読み込めませんでした。"
                       "プログラムをインストールし直してください。\n\n%2")
            .arg(what, why),
        OkButton);
    return nullptr;
}

bool PrintPreviewFromModule(const PrintDocument& document, QWidget* over) {
    using Preview = bool (*)(const PrintDocument&, QWidget*);
    auto preview = reinterpret_cast<Preview>(
        ModuleSymbol(Qs(kPrintModule), kPrintPreviewEntry, QStringLiteral("印刷")));
    return preview != nullptr && preview(document, over);
}

}  // namespace kakeibo
