// The precompiled header the tests share is built with this file.
