#include "run_state.h"

void MatchResults::create() {
    std::lock_guard lock(m_mutex);
    m_list = std::make_shared<const MatchList>();
    m_released = false;
}

std::shared_ptr<const MatchList> MatchResults::replace(MatchList matches) {
    auto list = std::make_shared<const MatchList>(std::move(matches));
    std::lock_guard lock(m_mutex);
    if (!m_released)
        m_list = list;
    return list;
}

void MatchResults::release() {
    std::lock_guard lock(m_mutex);
    m_list.reset();
    m_released = true;
}

std::shared_ptr<const MatchList> MatchResults::current() const {
    std::lock_guard lock(m_mutex);
    return m_list;
}
