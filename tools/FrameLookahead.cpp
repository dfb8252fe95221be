#include "tools/FrameLookahead.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

FrameLookahead::FrameLookahead(CornerSource source, std::vector<Job> jobs, int threads)
    : m_source(std::move(source)), m_jobs(std::move(jobs)), m_shared(std::make_shared<Shared>())
{
    const int count = threads > 0 ? threads : std::max(1, QThread::idealThreadCount());
    m_pool.setMaxThreadCount(count);
    // Each thread has an image in hand and one waits: memory stays bounded.
    m_ahead = static_cast<size_t>(count) + 1;
    for (size_t i = 0; i < m_jobs.size(); ++i)
        m_position[m_jobs[i].index] = i;
}

FrameLookahead::~FrameLookahead()
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->stopping = true;
    }
    m_pool.clear();
    m_pool.waitForDone();
}

bool FrameLookahead::has(int index) const
{
    return m_position.count(index) != 0;
}

void FrameLookahead::submitUpTo(size_t position)
{
    const size_t last = std::min(m_jobs.size(), position + 1);
    while (m_submitted < last) {
        const Job job = m_jobs[m_submitted++];
        const std::shared_ptr<Shared> shared = m_shared;
        const CornerSource source = m_source;
        m_pool.start([job, shared, source] {
            {
                std::lock_guard<std::mutex> lock(shared->mutex);
                if (shared->stopping)
                    return;
            }
            SheetCorners result;
            try {
                result = source(job.imagePath, job.sheet);
            } catch (const std::exception &e) {
                result = SheetCorners();
                result.reason = QString::fromLocal8Bit(e.what());
            } catch (...) {
                result = SheetCorners();
                result.reason = QCoreApplication::translate("FrameLookahead", "the frame finder failed");
            }
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->results[job.index] = std::move(result);
            shared->ready.notify_all();
        });
    }
}

SheetCorners FrameLookahead::take(int index)
{
    const auto it = m_position.find(index);
    if (it == m_position.end())
        return {};
    submitUpTo(it->second + m_ahead);
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->ready.wait(lock, [&] { return m_shared->results.count(index) != 0; });
    SheetCorners result = std::move(m_shared->results[index]);
    m_shared->results.erase(index);
    return result;
}
