#!/usr/bin/env bash
# Prints win32 when this host runs 32-bit Wine, win64 when only 64-bit Wine
# can run here (a kernel without 32-bit user space support refuses i386 ELF
# programs with "Exec format error").
if /lib/ld-linux.so.2 --version >/dev/null 2>&1 && [ -x /usr/lib/wine/wine ]; then
  echo win32
else
  echo win64
fi
