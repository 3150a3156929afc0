#include "app/RenderCommand.h"

#include "app/MaterialListing.h"
#include "app/RenderOptions.h"
#include "app/RenderReport.h"
#include "app/RenderRun.h"
#include "app/TerminalText.h"
#include "app/UsageError.h"
#include "base/Exception.h"
#include "base/File.h"
#include "core/parallel/Parallel.h"
#include "io/ExportPreset.h"

#include <algorithm>
#include <csignal>
#include <new>
#include <string>
#include <vector>

int runRenderCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                     bool showProgress, bool outIsTerminal) {
#if defined(SIGXFSZ)
    // A file-size limit then fails the write ("File too large"), which removes its temporary file,
    // instead of ending the process with the file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    RenderOptions options;
    if (const std::optional<int> status = parseRenderOptions(argc, argv, options, out, err)) {
        return *status;
    }

    std::vector<InputReport> reports(options.inputs.size());
    int worst = 0;
    try {
        checkUsage(options, err);
        const Velvor::ThreadCountScope threads(options.threads);
        warnAboutThreads(options, err);
        RenderRun run(options, out, err, showProgress, outIsTerminal);
        if (!options.preset.empty()) {
            run.preset = ExportPreset::load(locatePreset(options.preset, VELVOR_PRESET_DIR));
        }
        run.readDigestList();
        for (std::size_t i = 0; i < options.inputs.size(); ++i) {
            worst = std::max(worst, run.renderInput(options.inputs[i], reports[i]));
        }
        if (options.list) {
            if (!options.jsonFile.empty()) {
                const std::string listing = listingsJson(run.getListings());
                if (options.reportToStdout()) {
                    out << listing;
                } else {
                    writeFile(options.jsonFile, listing);
                }
            } else {
                for (const std::string& listing : run.getListings()) {
                    out << listingText(listing);
                }
            }
        } else if (!options.jsonFile.empty()) {
            const std::string report =
                reportJson(reports, worst, std::string("velvor-render ") + VELVOR_VERSION);
            if (options.reportToStdout()) {
                out << report;
            } else {
                writeFile(options.jsonFile, report);
            }
        }
    } catch (const UsageError& e) {
        err << "velvor-render: " << escapeControlCharacters(e.getMessage()) << "\n";
        return 2;
    } catch (const Exception& e) {
        err << "velvor-render: error: " << escapeControlCharacters(e.getMessage()) << "\n";
        return std::max(worst, 1);
    } catch (const std::bad_alloc&) {
        err << "velvor-render: error: out of memory\n";
        return std::max(worst, 1);
    }
    return worst;
}
