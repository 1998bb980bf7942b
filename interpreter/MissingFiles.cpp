#include "interpreter/MissingFiles.h"

#include "engine/Exceptions.h"

void TMissingFileReporter::ReportMissingFile(const QString& kind, const QString& name) const
{
    const QString text = kind + QStringLiteral(" file not found: \"") + name + u'"';
    if (log_)
        log_(text);
    if (!SkipMissingFiles)
        throw Exception(text);
}
