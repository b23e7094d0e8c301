// The VTI reader is not written yet.
#include "shell/main_model.h"

namespace quarnel {

void MainModel::bReadVTIClick() {}

}  // namespace quarnel
