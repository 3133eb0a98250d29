#pragma once

#include "app/Progress.h"

namespace velmora {

// The details the user ticked in the export window (chkName ... chkNote).
struct ExportOptions {
    bool name = true;
    bool dateOfBirth = true;
    bool address = true;
    bool phone = true;
    bool phoneDescription = true;
    bool email = true;
    bool emailDescription = true;
    bool note = true;
};

// Counts the steps of a long export and reports them to a progress
// callback: the start (0 of total), then only when the bar would move (at
// most a few hundred reports, however many steps), and the end.
class ProgressSteps {
public:
    ProgressSteps(const ProgressCallback &progress, int total) : m_progress(progress), m_total(total)
    {
        m_every = total > 400 ? total / 200 : 1;
        reportProgress(m_progress, 0, m_total);
    }
    void step()
    {
        if (++m_done % m_every == 0 || m_done == m_total)
            reportProgress(m_progress, m_done, m_total);
    }

private:
    const ProgressCallback &m_progress;
    int m_total;
    int m_done = 0;
    int m_every = 1;
};

} // namespace velmora
