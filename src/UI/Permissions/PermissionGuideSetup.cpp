#include "UI/Permissions/PermissionGuideSetup.h"

#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelStore.h"

#include <QCoreApplication>

namespace vocena {

PermissionGuideSetup PermissionGuideSetup::standard(PermissionProbes probes, Preferences& preferences) {
    PermissionGuideSetup setup;
    setup.probes = std::move(probes);
    setup.preferences = &preferences;
    setup.speechModel = ModelCatalog::entries().first().name;
    setup.punctuationModel = QString::fromLatin1(ModelCatalog::kPunctuationModel);
    setup.finalPassModel = QString::fromLatin1(ModelCatalog::kFinalPassModel);
    setup.modelsDirectory = ModelStore::defaultDirectory();
    setup.verifierProgram = QCoreApplication::applicationFilePath();
    setup.scheduler = &Scheduler::main();
    setup.quitApplication = [] { QCoreApplication::quit(); };
    return setup;
}

}  // namespace vocena
