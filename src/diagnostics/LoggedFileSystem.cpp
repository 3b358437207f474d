#include "diagnostics/LoggedFileSystem.h"

namespace diagnostics {

namespace {

std::string Found(const platform::FindData& data) {
  return Quoted(data.fileName) + " attributes=" + Hex(data.attributes);
}

class LoggedStream final : public platform::Stream {
 public:
  LoggedStream(std::unique_ptr<platform::Stream> inner, const std::string& path, CallLog& log)
      : m_inner(std::move(inner)), m_path(path), m_log(log) {}
  ~LoggedStream() override {
    m_inner.reset();
    m_log.Write(Call("Close").Returns());
  }
  LoggedStream(const LoggedStream&) = delete;
  LoggedStream& operator=(const LoggedStream&) = delete;

  bool GetLine(std::string* line, int bufferSize) override {
    const bool ok = m_inner->GetLine(line, bufferSize);
    CallLine logged = Call("GetLine");
    logged.Number(bufferSize, "bufferSize").Returns(ok);
    if (ok) logged.Out("line", Quoted(*line));
    m_log.Write(logged);
    return ok;
  }
  long Tell() override {
    const long position = m_inner->Tell();
    m_log.Write(Call("Tell").ReturnsNumber(position));
    return position;
  }
  bool Seek(long offset, int origin) override {
    const bool ok = m_inner->Seek(offset, origin);
    m_log.Write(Call("Seek").Number(offset).Number(origin, "origin").Returns(ok));
    return ok;
  }
  bool PutChar(char c) override {
    const bool ok = m_inner->PutChar(c);
    m_log.Write(Call("PutChar").Text(std::string(1, c)).Returns(ok));
    return ok;
  }
  bool Flush() override {
    const bool ok = m_inner->Flush();
    m_log.Write(Call("Flush").Returns(ok));
    return ok;
  }

 private:
  CallLine Call(const char* method) const {
    return CallLine((std::string("Stream.") + method).c_str()).Text(m_path, "file");
  }

  std::unique_ptr<platform::Stream> m_inner;
  std::string m_path;
  CallLog& m_log;
};

}  // namespace

std::string LoggedFileSystem::GetWindowsDirectory(uint32_t bufferSize) {
  std::string result = m_inner.GetWindowsDirectory(bufferSize);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("FileSystem.GetWindowsDirectory")
                  .Number(bufferSize, "bufferSize")
                  .ReturnsText(result)
                  .ErrorIf(result.empty(), error));
  return result;
}

std::string LoggedFileSystem::GetCurrentDirectory() {
  std::string result = m_inner.GetCurrentDirectory();
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("FileSystem.GetCurrentDirectory")
                  .ReturnsText(result)
                  .ErrorIf(result.empty(), error));
  return result;
}

bool LoggedFileSystem::SetCurrentDirectory(const std::string& path) {
  const bool ok = m_inner.SetCurrentDirectory(path);
  const uint32_t error = m_log.LastError();
  m_log.Write(
      CallLine("FileSystem.SetCurrentDirectory").Text(path).Returns(ok).ErrorIf(!ok, error));
  return ok;
}

bool LoggedFileSystem::CreateDirectory(const std::string& path) {
  const bool ok = m_inner.CreateDirectory(path);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("FileSystem.CreateDirectory").Text(path).Returns(ok).ErrorIf(!ok, error));
  return ok;
}

platform::FindHandle LoggedFileSystem::FindFirstFile(const std::string& pattern,
                                                     platform::FindData* data) {
  const platform::FindHandle handle = m_inner.FindFirstFile(pattern, data);
  const uint32_t error = m_log.LastError();
  CallLine line("FileSystem.FindFirstFile");
  line.Text(pattern).ReturnsHex(handle);
  if (handle != 0) line.Out("found", Found(*data));
  m_log.Write(line.ErrorIf(handle == 0, error));
  return handle;
}

bool LoggedFileSystem::FindNextFile(platform::FindHandle handle, platform::FindData* data) {
  const bool ok = m_inner.FindNextFile(handle, data);
  const uint32_t error = m_log.LastError();
  CallLine line("FileSystem.FindNextFile");
  line.Hex(handle).Returns(ok);
  if (ok) line.Out("found", Found(*data));
  m_log.Write(line.ErrorIf(!ok, error));
  return ok;
}

void LoggedFileSystem::FindClose(platform::FindHandle handle) {
  m_inner.FindClose(handle);
  m_log.Write(CallLine("FileSystem.FindClose").Hex(handle).Returns());
}

bool LoggedFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  const bool ok = m_inner.CopyFile(from, to, failIfExists);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("FileSystem.CopyFile")
                  .Text(from)
                  .Text(to)
                  .Flag(failIfExists, "failIfExists")
                  .Returns(ok)
                  .ErrorIf(!ok, error));
  return ok;
}

bool LoggedFileSystem::MoveFile(const std::string& from, const std::string& to) {
  const bool ok = m_inner.MoveFile(from, to);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("FileSystem.MoveFile").Text(from).Text(to).Returns(ok).ErrorIf(!ok, error));
  return ok;
}

bool LoggedFileSystem::DeleteFile(const std::string& path) {
  const bool ok = m_inner.DeleteFile(path);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("FileSystem.DeleteFile").Text(path).Returns(ok).ErrorIf(!ok, error));
  return ok;
}

bool LoggedFileSystem::SetFileAttributes(const std::string& path, uint32_t attributes) {
  const bool ok = m_inner.SetFileAttributes(path, attributes);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("FileSystem.SetFileAttributes")
                  .Text(path)
                  .Hex(attributes, "attributes")
                  .Returns(ok)
                  .ErrorIf(!ok, error));
  return ok;
}

std::unique_ptr<platform::Stream> LoggedFileSystem::OpenStream(const std::string& path,
                                                               const std::string& mode) {
  std::unique_ptr<platform::Stream> stream = m_inner.OpenStream(path, mode);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("FileSystem.OpenStream")
                  .Text(path)
                  .Text(mode, "mode")
                  .Returns(stream != nullptr)
                  .ErrorIf(stream == nullptr, error));
  if (stream == nullptr) return nullptr;
  return std::make_unique<LoggedStream>(std::move(stream), path, m_log);
}

}  // namespace diagnostics
