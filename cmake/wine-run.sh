#!/bin/sh
# Runs a Windows program of the win32 build under Wine, in the build tree's own
# 32-bit prefix. First argument: the prefix; the rest: the program and its
# arguments. The Chinese locale makes the module's resources display as a
# Chinese user sees them.
prefix=$1
shift
export WINEPREFIX="$prefix"
export WINEARCH=win32
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
exec wine "$@"
