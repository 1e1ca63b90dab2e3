#include <fcntl.h>
#include <gsf/gsf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/workbook/new_file.h"
#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xls_container.h"

namespace korvan::xls {
namespace {

// Larger files are refused rather than read into memory.
constexpr off_t kMaxFileSize = off_t{1} << 31;
constexpr std::size_t kCopyChunk = 1 << 16;

void DropLogMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

GLogWriterOutput DropStructuredLogMessage(GLogLevelFlags, const GLogField*, gsize, gpointer) {
  return G_LOG_WRITER_HANDLED;
}

void InitGsf() {
  static std::once_flag once;
  std::call_once(once, [] {
    // libgsf and GLib report damaged containers on stderr, in any log domain
    // (GLib-GObject criticals included); here the failure reaches the user
    // once, as a WorkbookError, and nothing else of theirs reaches the
    // console. GLib is used by nothing else in the process.
    g_log_set_default_handler(DropLogMessage, nullptr);
    g_log_set_writer_func(DropStructuredLogMessage, nullptr, nullptr);
    gsf_init();
  });
}

[[noreturn]] void ThrowErrno(const std::string& what, const std::string& path, int error) {
  throw WorkbookError("cannot " + what + " " + path + ": " + std::strerror(error),
                      FailureOfErrno(error));
}

// Closes `fd` and throws for the errno of the call that failed before.
[[noreturn]] void CloseAndThrow(int fd, const std::string& what, const std::string& path) {
  const int error = errno;
  close(fd);
  ThrowErrno(what, path, error);
}

std::string GErrorText(const GError* error, const char* fallback) {
  return error && error->message ? error->message : fallback;
}

std::string ReadWholeFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowErrno("open", path, errno);
  struct stat st {};
  if (fstat(fd, &st) != 0) CloseAndThrow(fd, "read", path);
  if (!S_ISREG(st.st_mode)) {
    close(fd);
    throw WorkbookError("cannot open " + path + ": not a regular file",
                        WorkbookFailure::kNotWorkbook);
  }
  if (st.st_size > kMaxFileSize) {
    close(fd);
    throw WorkbookError("cannot open " + path + ": the file is larger than 2 GiB");
  }
  std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) CloseAndThrow(fd, "read", path);
    if (n == 0) break;  // the file shrank while being read
    done += static_cast<std::size_t>(n);
  }
  close(fd);
  bytes.resize(done);
  return bytes;
}

// Owns one GObject reference.
template <typename T>
class GRef {
 public:
  explicit GRef(T* object = nullptr) : object_(object) {}
  ~GRef() {
    if (object_) g_object_unref(object_);
  }
  GRef(const GRef&) = delete;
  GRef& operator=(const GRef&) = delete;
  T* get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_;
};

class OutputError {
 public:
  explicit OutputError(const std::string& path) : path_(path) {}
  [[noreturn]] void Throw(GsfOutput* output) const {
    const GError* error = output ? gsf_output_error(output) : nullptr;
    // A file output's error code is the errno of the write that failed.
    throw WorkbookError(
        "cannot write " + path_ + ": " + GErrorText(error, "the disk is full or not writable"),
        error ? FailureOfErrno(error->code) : WorkbookFailure::kOther);
  }

 private:
  const std::string& path_;
};

bool ReadAll(GsfInput* input, std::string& out, std::size_t limit) {
  const gsf_off_t size = gsf_input_size(input);
  if (size < 0 || static_cast<std::uint64_t>(size) > limit) return false;
  out.resize(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < out.size()) {
    const std::size_t n = out.size() - done < kCopyChunk ? out.size() - done : kCopyChunk;
    if (!gsf_input_read(input, n, reinterpret_cast<guint8*>(out.data() + done))) return false;
    done += n;
  }
  return true;
}

// Copies the children of `in` into `out`, storages recursively, skipping the
// child named `skip` at the top level (the workbook stream, written apart).
void CopyChildren(GsfInfile* in, GsfOutfile* out, const char* skip, std::size_t limit,
                  const OutputError& fail, const std::string& source) {
  const int count = gsf_infile_num_children(in);
  for (int i = 0; i < count; ++i) {
    const char* name = gsf_infile_name_by_index(in, i);
    if (!name) continue;
    if (skip && std::strcmp(name, skip) == 0) continue;
    GRef<GsfInput> child(gsf_infile_child_by_index(in, i));
    if (!child) {
      throw WorkbookError(
          "cannot read " + source + ": the part \"" + name + "\" of the file is damaged",
          WorkbookFailure::kDamaged);
    }
    const bool is_dir =
        GSF_IS_INFILE(child.get()) && gsf_infile_num_children(GSF_INFILE(child.get())) >= 0;
    GRef<GsfOutput> copy(gsf_outfile_new_child(out, name, is_dir));
    if (!copy) fail.Throw(nullptr);
    if (is_dir) {
      guint8 clsid[16];
      if (GSF_IS_INFILE_MSOLE(child.get()) &&
          gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(child.get()), clsid)) {
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(copy.get()), clsid);
      }
      CopyChildren(GSF_INFILE(child.get()), GSF_OUTFILE(copy.get()), nullptr, limit, fail, source);
    } else {
      std::string data;
      if (!ReadAll(child.get(), data, limit)) {
        throw WorkbookError(
            "cannot read " + source + ": the part \"" + name + "\" of the file is damaged",
            WorkbookFailure::kDamaged);
      }
      if (!gsf_output_write(copy.get(), data.size(), reinterpret_cast<const guint8*>(data.data())))
        fail.Throw(copy.get());
    }
    if (!gsf_output_close(copy.get())) fail.Throw(copy.get());
  }
}

}  // namespace

struct XlsContainer::Storage {
  GsfInput* input = nullptr;
  GsfInfile* infile = nullptr;
  ~Storage() {
    if (infile) g_object_unref(infile);
    if (input) g_object_unref(input);
  }
};

XlsContainer::XlsContainer(const std::string& path) : path_(path), file_(ReadWholeFile(path)) {
  InitGsf();
  storage_ = new Storage;
  try {
    storage_->input = gsf_input_memory_new(reinterpret_cast<const guint8*>(file_.data()),
                                           static_cast<gsf_off_t>(file_.size()), FALSE);
    if (!storage_->input) throw WorkbookError("cannot read " + path + ": out of memory");
    GError* error = nullptr;
    storage_->infile = gsf_infile_msole_new(storage_->input, &error);
    if (!storage_->infile) {
      const std::string text = GErrorText(error, "not a compound file");
      if (error) g_error_free(error);
      throw WorkbookError("cannot read " + path +
                              ": it is not an Excel 97-2003 workbook or it is damaged (" + text +
                              ")",
                          WorkbookFailure::kDamaged);
    }
    std::vector<std::string> names;
    const int count = gsf_infile_num_children(storage_->infile);
    for (int i = 0; i < count; ++i) {
      const char* name = gsf_infile_name_by_index(storage_->infile, i);
      if (name) names.emplace_back(name);
    }
    workbook_name_ = WorkbookStreamName(names, path);
    GRef<GsfInput> stream(gsf_infile_child_by_name(storage_->infile, workbook_name_.c_str()));
    if (!stream || !ReadAll(stream.get(), workbook_, file_.size())) {
      throw WorkbookError("cannot read " + path + ": the workbook stream of the file is damaged",
                          WorkbookFailure::kDamaged);
    }
  } catch (...) {
    delete storage_;
    throw;
  }
}

XlsContainer::~XlsContainer() { delete storage_; }

void XlsContainer::WriteWith(const std::string& path, std::string_view workbook) const {
  const OutputError fail(path);
  // Written into the file created here rather than by libgsf, which would
  // write a temporary file of its own beside it and follow a link at `path`.
  NewFile file(path);
  const int fd = file.Release();
  FILE* stream = fdopen(fd, "wb");
  if (!stream) CloseAndThrow(fd, "write", path);
  GRef<GsfOutput> sink(gsf_output_stdio_new_FILE(path.c_str(), stream, FALSE));
  if (!sink) {
    std::fclose(stream);
    throw WorkbookError("cannot write " + path + ": out of memory");
  }
  GRef<GsfOutfile> root(gsf_outfile_msole_new(sink.get()));
  if (!root) fail.Throw(sink.get());
  guint8 clsid[16];
  if (gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(storage_->infile), clsid)) {
    gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(root.get()), clsid);
  }
  {
    GRef<GsfOutput> stream(gsf_outfile_new_child(root.get(), workbook_name_.c_str(), FALSE));
    if (!stream) fail.Throw(nullptr);
    if (!gsf_output_write(stream.get(), workbook.size(),
                          reinterpret_cast<const guint8*>(workbook.data())) ||
        !gsf_output_close(stream.get())) {
      fail.Throw(stream.get());
    }
  }
  CopyChildren(storage_->infile, root.get(), workbook_name_.c_str(), file_.size(), fail, path_);
  if (!gsf_output_close(GSF_OUTPUT(root.get()))) fail.Throw(GSF_OUTPUT(root.get()));
  if (!gsf_output_is_closed(sink.get()) && !gsf_output_close(sink.get())) fail.Throw(sink.get());
}

}  // namespace korvan::xls
