#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <new>
#include <vector>

#include "platform/wide_text.h"
#include "platform/workbook/new_file.h"
#include "platform/workbook/win32_file.h"
#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xls_container.h"

namespace korvan::xls {
namespace {

constexpr ULONG kCopyChunk = 1 << 16;
constexpr DWORD kReadMode = STGM_DIRECT | STGM_READ | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kWriteMode = STGM_DIRECT | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

// Owns one COM reference.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T** put() {
    Reset();
    return &object_;
  }
  void Reset() {
    if (object_) object_->Release();
    object_ = nullptr;
  }

 private:
  T* object_ = nullptr;
};

std::string HresultText(HRESULT result) {
  return win32::SystemErrorText(static_cast<DWORD>(result));
}

[[noreturn]] void ThrowDamaged(const std::string& path, const std::string& what) {
  throw WorkbookError("cannot read " + path + ": " + what, WorkbookFailure::kDamaged);
}

[[noreturn]] void ThrowWriteError(const std::string& path, HRESULT result) {
  const WorkbookFailure kind = result == STG_E_MEDIUMFULL || result == E_OUTOFMEMORY
                                   ? WorkbookFailure::kNoSpace
                                   : WorkbookFailure::kOther;
  throw WorkbookError("cannot write " + path + ": " + HresultText(result), kind);
}

// A byte array in memory that a storage reads or writes: the file's bytes
// (copied), or an empty one that grows.
void MakeLockBytes(const std::string& bytes, ComRef<ILockBytes>& out, const std::string& path) {
  HGLOBAL memory = nullptr;
  if (!bytes.empty()) {
    memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    void* at = memory ? GlobalLock(memory) : nullptr;
    if (!at) {
      if (memory) GlobalFree(memory);
      throw WorkbookError("cannot read " + path + ": out of memory");
    }
    CopyMemory(at, bytes.data(), bytes.size());
    GlobalUnlock(memory);
  }
  if (FAILED(CreateILockBytesOnHGlobal(memory, TRUE, out.put()))) {
    if (memory) GlobalFree(memory);
    throw WorkbookError("cannot read " + path + ": out of memory");
  }
}

// The bytes a new compound file is built in. Growth is zero-filled: the
// storage does not write every byte of the sectors it allocates (free
// directory entries, for one), and those bytes end up in the file, where
// readers parse them.
class ZeroedLockBytes final : public ILockBytes {
 public:
  const std::vector<char>& Bytes() const { return bytes_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_ILockBytes)) {
      *out = static_cast<ILockBytes*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE ReadAt(ULARGE_INTEGER offset, void* into, ULONG count,
                                   ULONG* read) override {
    ULONG n = 0;
    if (offset.QuadPart < bytes_.size()) {
      n = static_cast<ULONG>(std::min<ULONGLONG>(count, bytes_.size() - offset.QuadPart));
      CopyMemory(into, bytes_.data() + offset.QuadPart, n);
    }
    if (read) *read = n;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE WriteAt(ULARGE_INTEGER offset, const void* from, ULONG count,
                                    ULONG* written) override {
    try {
      if (offset.QuadPart + count > bytes_.size()) bytes_.resize(offset.QuadPart + count, '\0');
    } catch (const std::bad_alloc&) {
      return STG_E_MEDIUMFULL;
    }
    CopyMemory(bytes_.data() + offset.QuadPart, from, count);
    if (written) *written = count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Flush() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override {
    try {
      bytes_.resize(size.QuadPart, '\0');
    } catch (const std::bad_alloc&) {
      return STG_E_MEDIUMFULL;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    if (stat == nullptr) return E_POINTER;
    *stat = STATSTG{};
    stat->type = STGTY_LOCKBYTES;
    stat->cbSize.QuadPart = bytes_.size();
    return S_OK;
  }

 private:
  std::vector<char> bytes_;
  ULONG references_ = 1;
};

// The names of the direct children of `storage`, with their kinds.
std::vector<std::pair<std::wstring, DWORD>> Children(IStorage* storage) {
  std::vector<std::pair<std::wstring, DWORD>> children;
  ComRef<IEnumSTATSTG> elements;
  if (FAILED(storage->EnumElements(0, nullptr, 0, elements.put()))) return children;
  STATSTG stat{};
  while (elements->Next(1, &stat, nullptr) == S_OK) {
    if (stat.pwcsName) {
      children.emplace_back(stat.pwcsName, stat.type);
      CoTaskMemFree(stat.pwcsName);
    }
    stat = STATSTG{};
  }
  return children;
}

bool ReadStream(IStorage* storage, const std::wstring& name, std::string& out, std::size_t limit) {
  ComRef<IStream> stream;
  STATSTG stat{};
  if (FAILED(storage->OpenStream(name.c_str(), nullptr, kReadMode, 0, stream.put())) ||
      FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > limit) {
    return false;
  }
  out.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
  std::size_t done = 0;
  while (done < out.size()) {
    const ULONG want =
        static_cast<ULONG>(out.size() - done < kCopyChunk ? out.size() - done : kCopyChunk);
    ULONG got = 0;
    if (FAILED(stream->Read(out.data() + done, want, &got)) || got == 0) return false;
    done += got;
  }
  return true;
}

}  // namespace

struct XlsContainer::Storage {
  ComRef<ILockBytes> bytes;
  ComRef<IStorage> root;
};

XlsContainer::XlsContainer(const std::string& path)
    : path_(path), file_(win32::ReadWholeFile(path)) {
  storage_ = new Storage;
  try {
    MakeLockBytes(file_, storage_->bytes, path);
    const HRESULT opened = StgOpenStorageOnILockBytes(storage_->bytes.get(), nullptr, kReadMode,
                                                      nullptr, 0, storage_->root.put());
    if (FAILED(opened)) {
      ThrowDamaged(path, "it is not an Excel 97-2003 workbook or it is damaged (" +
                             HresultText(opened) + ")");
    }
    std::vector<std::string> names;
    for (const auto& [name, type] : Children(storage_->root.get())) {
      if (type == STGTY_STREAM) names.push_back(Utf8FromWide(name));
    }
    workbook_name_ = WorkbookStreamName(names, path);
    if (!ReadStream(storage_->root.get(), WideFromUtf8(workbook_name_), workbook_, file_.size())) {
      ThrowDamaged(path, "the workbook stream of the file is damaged");
    }
  } catch (...) {
    delete storage_;
    throw;
  }
}

XlsContainer::~XlsContainer() { delete storage_; }

void XlsContainer::WriteWith(const std::string& path, std::string_view workbook) const {
  // Built in memory, then written into the file created here: a storage
  // opened on the path would create the file itself.
  ComRef<ZeroedLockBytes> bytes;
  *bytes.put() = new ZeroedLockBytes;
  ComRef<IStorage> out;
  HRESULT result =
      StgCreateDocfileOnILockBytes(bytes.get(), kWriteMode | STGM_CREATE, 0, out.put());
  if (FAILED(result)) ThrowWriteError(path, result);
  const std::wstring name = WideFromUtf8(workbook_name_);
  {
    ComRef<IStream> stream;
    result = out->CreateStream(name.c_str(), kWriteMode | STGM_CREATE, 0, 0, stream.put());
    ULONG written = 0;
    if (SUCCEEDED(result)) {
      result = stream->Write(workbook.data(), static_cast<ULONG>(workbook.size()), &written);
    }
    if (FAILED(result)) ThrowWriteError(path, result);
  }
  // Every other stream and storage, storages with their class, and the
  // root's class.
  const OLECHAR* skip[] = {name.c_str(), nullptr};
  SNB exclude = const_cast<SNB>(skip);
  result = storage_->root->CopyTo(0, nullptr, exclude, out.get());
  if (FAILED(result)) {
    if (result == STG_E_MEDIUMFULL || result == E_OUTOFMEMORY) ThrowWriteError(path, result);
    ThrowDamaged(path_, "a part of the file is damaged (" + HresultText(result) + ")");
  }
  STATSTG root{};
  if (SUCCEEDED(storage_->root->Stat(&root, STATFLAG_NONAME))) out->SetClass(root.clsid);
  result = out->Commit(STGC_DEFAULT);
  if (FAILED(result)) ThrowWriteError(path, result);
  out.Reset();

  NewFile file(path);
  file.Write(bytes->Bytes().data(), bytes->Bytes().size());
  file.Close();
}

}  // namespace korvan::xls
