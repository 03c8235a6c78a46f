#pragma once

namespace tobrin {

class ImportPipeline;

// The import dialog's choices that carry over to its next opening and to
// the next run, in QSettings beside the editor's other remembered places:
// threshold, colour components, target size, "Maintain aspect", dither and
// "Full resolution". Values out of range fall back to the initial ones.
namespace importsettings {

// Gives a fresh pipeline (no source yet) the remembered choices.
void Restore(ImportPipeline& pipeline);
void Remember(const ImportPipeline& pipeline);

}  // namespace importsettings
}  // namespace tobrin
