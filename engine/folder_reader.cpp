#include "engine/folder_reader.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

#include "base/file_system.h"
#include "base/phrase_table.h"
#include "base/variant_map.h"
#include "engine/columns.h"
#include "engine/filter.h"
#include "engine/phrase_ids.h"

namespace lumadir {

namespace {

constexpr int32_t most_threads = 8;

enum class job_state { waiting, reading, ready };

// One folder of the walk, from the moment its parent was read until it is
// written.
struct job : folder_contents {
  job* following = nullptr;  // the next folder in walk order
  int32_t level = 0;         // below the top: a job's subtree is the deeper run after it
  bool is_link = false;
  job_state state = job_state::waiting;
  bool by_reader = false;  // taken by a reading thread: counts against the caps
  bool abandoned = false;  // dropped while a reader had it: that reader frees it
  int32_t entry_count = 0;
  bool identity_tried = false;
  bool identity_known = false;
  variant identity;
};

// What the readers need to know of the walk under way; set while no reader is
// busy, read by them only while they hold a job of that walk.
struct walk_plan {
  bool totals_walk = false;
  bool children_from_totals = false;  // a listing over a totals tree
  bool follow_links = false;
  bool cut_extension = false;
  int32_t order_files = 0;
  int32_t sort_order = 0;
};

void free_chain(job* first) {
  while (first) {
    job* following = first->following;
    delete first;
    first = following;
  }
}

void sort_siblings(entry_tree& tree, const walk_plan& plan) {
  if (plan.order_files == 0) return;
  tree.compare = compare_entries;
  tree.sort_key = plan.order_files - 1;
  tree.sort_list(nullptr);
  if (plan.sort_order != 0) tree.reverse_list(nullptr);
}

// Everything a folder needs before it can be written, on whichever thread:
// read, filtered, extensions split (or, for totals, files counted), sorted,
// and the chain of its subfolders to walk, in order, made.
void read_job(job& folder, const filter_block& filter, const walk_plan& plan,
              const std::atomic<int32_t>& stop, job*& first_child, job*& last_child) {
  first_child = last_child = nullptr;
  if (plan.follow_links && folder.level > 0 && !folder.identity_tried) {
    variant path(folder.path);
    folder.identity_known = folder_identity(path, folder.identity);
    folder.identity_tried = true;
  }
  variant path(folder.path);
  folder.readable = find_files(path, folder.entries, nullptr, true, variant("*"));
  if (!folder.readable || stop.load(std::memory_order_relaxed) != 0) return;
  filter_entries(folder.entries, filter, nullptr);
  for (file_entry* e = folder.entries.first(); e;) {
    file_entry* following = e->next;
    if (!e->is_folder) {
      if (plan.totals_walk) {
        ++folder.files;
        folder.size += e->size;
        folder.entries.remove(e);
      } else {
        split_extension(*e, plan.cut_extension);
      }
    }
    e = following;
  }
  if (stop.load(std::memory_order_relaxed) != 0) return;
  sort_siblings(folder.entries, plan);
  for (file_entry* e = folder.entries.first(); e; e = e->next) ++folder.entry_count;

  if (!plan.totals_walk && folder.depth == 0) return;
  const int32_t depth = folder.depth < 0 ? folder.depth : folder.depth - 1;
  file_entry* first = folder.entries.first();
  if (plan.children_from_totals)
    first = folder.totals_entry ? folder.totals_entry->first_child : nullptr;
  for (file_entry* e = first; e; e = e->next) {
    // A link not followed is a row and never entered.
    if (!e->is_folder || (e->is_link && !plan.follow_links)) continue;
    job* child = new (std::nothrow) job;
    if (!child) continue;
    child->path = path_in(folder.path, e->name);
    child->depth = depth;
    child->level = folder.level + 1;
    child->is_link = e->is_link;
    if (plan.totals_walk || plan.children_from_totals) child->totals_entry = e;
    (last_child ? last_child->following : first_child) = child;
    last_child = child;
  }
}

}  // namespace

void split_extension(file_entry& entry, bool cut_name) noexcept {
  const int32_t dot = entry.name.find_last(variant('.'));
  if (dot < 1) return;
  entry.extension.set_left(variant(entry.name.c_str() + dot), entry.name.length() - dot);
  if (cut_name) entry.name.set_length(dot);
}

int32_t reader_threads_for_machine() noexcept {
  const int32_t processors = static_cast<int32_t>(std::thread::hardware_concurrency());
  const int32_t wanted = 2 * (processors > 0 ? processors : 1);
  return wanted < 2 ? 2 : (wanted > most_threads ? most_threads : wanted);
}

struct folder_reader::pool {
  explicit pool(listing_settings& s) : settings(s) {}

  listing_settings& settings;
  std::mutex lock;
  std::condition_variable work_arrived;  // readers wait here
  std::condition_variable folder_done;   // the writer waits here
  job* first = nullptr;                  // the walk's folders, in walk order
  job* current = nullptr;                // handed to the walk, still first
  walk_plan plan;
  int32_t ahead = 0;  // folders taken by readers and not yet written
  int32_t held = 0;   // the entries those hold
  int32_t busy = 0;   // readers reading now
  bool quit = false;
  // Identities of the places this walk entered; the writer's alone.
  variant_map entered;

  int32_t thread_count = 0;
  std::thread threads[most_threads];
  // A text is not safe to read from two threads at once, so each reader
  // matches names against a filter of its own.
  filter_block filters[most_threads];

  bool stopping() const { return settings.stopping(); }

  // The first folder no one reads yet, when the caps allow another.
  job* next_to_read() {
    if (stopping() || ahead >= folders_read_ahead || held >= entries_read_ahead) return nullptr;
    for (job* j = first; j; j = j->following)
      if (j->state == job_state::waiting) return j;
    return nullptr;
  }

  // A read folder becomes ready; its subfolders follow it in walk order.
  void finish(job& folder, job* first_child, job* last_child) {
    folder.state = job_state::ready;
    if (folder.by_reader) held += folder.entry_count;
    if (first_child) {
      last_child->following = folder.following;
      folder.following = first_child;
      work_arrived.notify_all();
    }
  }

  // Unlinks `top` (the first job) and the subtree read ahead of it; what a
  // reader still holds is left to that reader. The rest joins `freed`.
  void drop(job* top, job*& freed) {
    job* j = top->following;
    forget(top, freed);
    while (j && j->level > top->level) {
      job* following = j->following;
      if (j->state == job_state::reading && j->by_reader)
        j->abandoned = true;
      else
        forget(j, freed);
      j = following;
    }
    first = j;
    work_arrived.notify_all();
  }

  void forget(job* j, job*& freed) {
    if (j->by_reader) {
      --ahead;
      if (j->state == job_state::ready) held -= j->entry_count;
    }
    j->following = freed;
    freed = j;
  }

  // Whether the walk goes into this folder; decided by the writer, in walk
  // order, so that of several roads to one place the first is taken.
  bool enters(job& folder) {
    if (folder.level == 0 || !plan.follow_links) return true;
    if (!folder.identity_tried) {
      variant path(folder.path);
      folder.identity_known = folder_identity(path, folder.identity);
      folder.identity_tried = true;
    }
    if (!folder.identity_known) return true;  // its reading will tell
    if (entered.find(folder.identity)) return false;
    entered.put(folder.identity, variant(1));
    return true;
  }

  void report(const job& folder) {
    if (!settings.progress_callback) return;
    variant text(settings.language_phrases
                     ? settings.language_phrases->phrase_text(phrase_id::reading_folder)
                     : "");
    text.append(folder.path);
    settings.progress(static_cast<variant&&>(text));
  }

  void work(int32_t index) {
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
      job* folder = nullptr;
      work_arrived.wait(hold, [&] { return quit || (folder = next_to_read()) != nullptr; });
      if (quit) return;
      folder->state = job_state::reading;
      folder->by_reader = true;
      ++ahead;
      ++busy;
      hold.unlock();
      job* first_child = nullptr;
      job* last_child = nullptr;
      read_job(*folder, filters[index], plan, settings.stop_requested, first_child, last_child);
      hold.lock();
      --busy;
      if (folder->abandoned) {
        --ahead;
        hold.unlock();
        free_chain(first_child);
        delete folder;
        hold.lock();
        work_arrived.notify_all();
      } else {
        finish(*folder, first_child, last_child);
      }
      folder_done.notify_all();
    }
  }

  // Ends the walk under way: waits for the readers to let go, frees its folders.
  void clear_walk() {
    job* freed = nullptr;
    {
      std::unique_lock<std::mutex> hold(lock);
      folder_done.wait(hold, [&] { return busy == 0; });
      freed = first;
      first = current = nullptr;
      ahead = held = 0;
    }
    free_chain(freed);
  }

  void start(job* top, const walk_plan& walk) {
    clear_walk();
    entered.clear();
    if (walk.follow_links) {
      variant path(top->path), identity;
      if (folder_identity(path, identity)) entered.put(identity, variant(1));
    }
    std::lock_guard<std::mutex> hold(lock);
    plan = walk;
    first = top;
    work_arrived.notify_all();
  }
};

folder_reader::folder_reader(listing_settings& settings, int32_t threads) noexcept
    : pool_(new (std::nothrow) pool(settings)) {
  if (!pool_) return;
  if (threads < 0) threads = reader_threads_for_machine();
  if (threads > most_threads) threads = most_threads;
  for (int32_t i = 0; i < threads; ++i) {
    copy_filter(settings.filter, pool_->filters[i]);
    try {
      pool_->threads[i] = std::thread(&pool::work, pool_, i);
    } catch (...) {
      break;  // the standard thread reports a failed start only by throwing
    }
    pool_->thread_count = i + 1;
  }
}

folder_reader::~folder_reader() {
  if (!pool_) return;
  {
    std::lock_guard<std::mutex> hold(pool_->lock);
    pool_->quit = true;
  }
  pool_->work_arrived.notify_all();
  for (int32_t i = 0; i < pool_->thread_count; ++i) pool_->threads[i].join();
  free_chain(pool_->first);
  delete pool_;
}

int32_t folder_reader::threads() const noexcept {
  return pool_ ? pool_->thread_count : 0;
}

static job* top_job(const variant& top, int32_t depth, file_entry* totals_entry) {
  job* j = new (std::nothrow) job;
  if (!j) return nullptr;
  j->path.assign_text_of(top);
  j->depth = depth;
  j->totals_entry = totals_entry;
  return j;
}

void folder_reader::start_listing(const variant& top, int32_t depth,
                                  file_entry* totals_root) noexcept {
  if (!pool_) return;
  walk_plan walk;
  walk.children_from_totals = totals_root != nullptr;
  walk.follow_links = pool_->settings.follow_folder_links != 0;
  walk.cut_extension = pool_->settings.remove_extension_from_name != 0;
  walk.order_files = pool_->settings.order_files;
  walk.sort_order = pool_->settings.sort_order;
  job* j = top_job(top, depth, totals_root);
  if (j) pool_->start(j, walk);
}

void folder_reader::start_totals(const variant& top, file_entry* root) noexcept {
  if (!pool_) return;
  walk_plan walk;
  walk.totals_walk = true;
  walk.follow_links = pool_->settings.follow_folder_links != 0;
  walk.order_files = pool_->settings.order_files;
  walk.sort_order = pool_->settings.sort_order;
  job* j = top_job(top, -1, root);
  if (j) pool_->start(j, walk);
}

folder_contents* folder_reader::next() noexcept {
  if (!pool_) return nullptr;
  pool& p = *pool_;
  job* freed = nullptr;
  std::unique_lock<std::mutex> hold(p.lock);
  if (p.current) {
    p.first = p.current->following;
    p.forget(p.current, freed);
    p.current = nullptr;
    p.work_arrived.notify_all();
  }
  for (;;) {
    job* head = p.first;
    if (!head || p.stopping()) break;
    bool enters = true;
    if (head->state == job_state::waiting) {
      // No reader has it: read here, in the serial walk's order of steps.
      head->state = job_state::reading;
      hold.unlock();
      free_chain(freed);
      freed = nullptr;
      enters = p.enters(*head);
      job* first_child = nullptr;
      job* last_child = nullptr;
      if (enters) {
        p.report(*head);
        if (!p.stopping())
          read_job(*head, p.settings.filter, p.plan, p.settings.stop_requested, first_child,
                   last_child);
      }
      hold.lock();
      p.finish(*head, first_child, last_child);
    } else {
      while (head->state == job_state::reading) {
        // A stop is a plain flag, so the wait looks at it now and then.
        p.folder_done.wait_for(hold, std::chrono::milliseconds(10));
        if (p.stopping()) break;
      }
      if (head->state != job_state::ready) break;
      hold.unlock();
      free_chain(freed);
      freed = nullptr;
      enters = p.enters(*head);
      if (enters) p.report(*head);
      hold.lock();
    }
    if (!enters) {
      p.drop(head, freed);
      continue;
    }
    if (p.stopping()) break;
    p.current = head;
    hold.unlock();
    free_chain(freed);
    return head;
  }
  hold.unlock();
  free_chain(freed);
  return nullptr;
}

}  // namespace lumadir
