# Orvane Vazeru — the two everyday commands are `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: all deps configure build run test bench install package clean

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

# Starts the shield from build/bin on the bundled sample data. Without a display
# it runs in the terminal (console front end); Ctrl-C ends it like "Exit Vazeru".
run: build
	$(BUILD_DIR)/bin/qvshield $(ARGS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS) --timeout 300

bench: build
	scripts/run-benchmarks $(BUILD_DIR)

# Installs the programs, data, menu entry, icons and manual pages under
# $(PREFIX), inside $(DESTDIR) when that is given.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# The Debian package, written into $(BUILD_DIR).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR)
