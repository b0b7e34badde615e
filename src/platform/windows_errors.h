// The Windows error numbers that the tool's failure messages are chosen by.
#pragma once

namespace brimwell::winerr {

inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kNotEnoughMemory = 8;
inline constexpr int kWriteProtect = 19;
inline constexpr int kGeneralFailure = 31;
inline constexpr int kSharingViolation = 32;
inline constexpr int kNotSupported = 50;
inline constexpr int kFileExists = 80;
inline constexpr int kDiskFull = 112;
inline constexpr int kInvalidName = 123;
inline constexpr int kDirNotEmpty = 145;
inline constexpr int kAlreadyExists = 183;
inline constexpr int kFilenameTooLong = 206;
inline constexpr int kFileTooLarge = 223;
inline constexpr int kIoDevice = 1117;
inline constexpr int kCantResolveFilename = 1921;

}  // namespace brimwell::winerr
