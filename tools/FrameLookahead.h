#pragma once

#include "sheet/SheetIdentity.h"
#include "tools/SheetCorners.h"

#include <QString>
#include <QThreadPool>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

// Runs a corner source over the images of a run on all cores, one image a
// thread, a bounded number of images ahead of the one the run is at, and
// hands the results over in the run's order. Images not yet started when it
// is destroyed (the run was stopped) are never looked at.
class FrameLookahead
{
public:
    struct Job
    {
        int index = 0;        // the run's file index
        QString imagePath;
        SheetIdentity sheet;
    };

    FrameLookahead(CornerSource source, std::vector<Job> jobs, int threads = 0);
    ~FrameLookahead();
    FrameLookahead(const FrameLookahead &) = delete;
    FrameLookahead &operator=(const FrameLookahead &) = delete;

    // Whether the file of the run's index `index` has a job.
    bool has(int index) const;
    // The result for the run's file `index` (one with a job); waits for it.
    SheetCorners take(int index);

private:
    void submitUpTo(size_t position);

    struct Shared
    {
        std::mutex mutex;
        std::condition_variable ready;
        std::map<int, SheetCorners> results;
        bool stopping = false;
    };

    CornerSource m_source;
    std::vector<Job> m_jobs;
    std::map<int, size_t> m_position; // run index -> job position
    size_t m_submitted = 0;
    size_t m_ahead = 1;
    std::shared_ptr<Shared> m_shared;
    QThreadPool m_pool;
};
