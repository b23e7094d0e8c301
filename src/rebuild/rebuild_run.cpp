// The Rebuild run is not written yet.
#include "shell/main_model.h"

namespace quarnel {

void MainModel::bRebuildClick() {}

}  // namespace quarnel
