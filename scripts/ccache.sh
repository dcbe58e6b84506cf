#!/usr/bin/env bash
# Shared ccache settings: hits across clones in different folders.
export CCACHE_BASEDIR="${TK_ROOT:-$(pwd)}"
export CCACHE_NOHASHDIR=true
export CCACHE_COMPILERCHECK=content
export CCACHE_MAXSIZE=5G
