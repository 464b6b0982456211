// A ".VNT" file of any contents, opened: the record decoded and, when the file has a record's
// size (anything else is refused before it reaches the editor), put into the editor of a
// device of the model the file names, as after the user accepted every question.
#include "catalogue.h"
#include "configfiles.h"
#include "editormodel.h"
#include "scriptedprompter.h"
#include "texts.h"

#include <QCoreApplication>
#include <cstdlib>
#include <memory>

using namespace vantelso;

namespace {

struct Desk {
    explicit Desk(std::uint8_t model)
        : editor(catalogue, texts), files(editor, identity, texts, prompter) {
        prompter.setFallback(Prompter::Answer::Ok);
        identity.ModelByte = model;
        catalogue.Init(identity);
        catalogue.UpdateAfterRead(identity);
        editor.setIdentity(identity);
    }
    DeviceIdentity identity;
    Texts texts;
    Catalogue catalogue;
    ScriptedPrompter prompter;
    EditorModel editor;
    ConfigFiles files;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_vnt";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static std::unique_ptr<Desk> desks[10];

    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (ConfigFileRecord::fromBytes(bytes).has_value() != (size == ConfigFileRecord::Size))
        std::abort();
    const auto record =
        ConfigFileRecord::fromBytes(bytes.leftJustified(ConfigFileRecord::Size, '\0', true));
    if (!record)
        std::abort();
    // What a record decodes to, encoded again, decodes to the same again.
    const QByteArray again = record->toBytes();
    if (ConfigFileRecord::fromBytes(again)->toBytes() != again)
        std::abort();
    if (size != ConfigFileRecord::Size)
        return 0;
    const int model = record->modelByte % 10;
    if (!desks[model])
        desks[model] = std::make_unique<Desk>(std::uint8_t(model));
    Desk& d = *desks[model];
    d.prompter.clear();
    d.files.applyRecord(*record);
    ConfigFileRecord back;
    d.files.fillRecord(back);
    return 0;
}
