#include "cli/CliIntake.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "cli/Commands.h"

namespace velmora::cli {

std::vector<FileRow> intakeFiles(const std::vector<std::string>& files, const std::atomic<bool>* stop)
{
    // The probes run side by side (each is mostly the tool's start-up); the
    // rows and the messages still come in the order of the arguments.
    std::vector<std::optional<IntakeResult>> results(files.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < files.size(); i = next++) {
            if (stop && stop->load())
                return;
            results[i] = analyzeFile(absolutePath(files[i]));
        }
    };
    const size_t workers = std::min<size_t>(files.size(), std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();

    std::vector<FileRow> rows;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!results[i])
            break;  // stopped
        if (results[i]->row)
            rows.push_back(std::move(*results[i]->row));
        else
            std::fprintf(stderr, "velmora-cli: skipped %s: %s\n", files[i].c_str(),
                         intakeVerdictText(results[i]->verdict).c_str());
    }
    return rows;
}

std::string jsonText(const nlohmann::json& value)
{
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace velmora::cli
