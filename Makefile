# The two commands of the README:
#   make run   installs what is missing, builds and starts Quil
#   make test  installs what is missing, builds and runs every test
#   make deb   builds the Debian package quil_VERSION_ARCH.deb here
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test deb clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS); \
	fi

build: configure
	cmake --build $(BUILD_DIR)

run: build
	@bash scripts/run.sh $(BUILD_DIR)

# The suites are separate processes, most of them short: they run one per core.
test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --timeout 900 --parallel $(shell nproc)

deb: build
	rm -rf $(BUILD_DIR)/package
	cd $(BUILD_DIR) && cpack -G DEB -B package
	cp $(BUILD_DIR)/package/quil_*.deb .

clean:
	rm -rf $(BUILD_DIR)
