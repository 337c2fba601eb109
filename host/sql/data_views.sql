-- Issues with the project they belong to.
CREATE VIEW IF NOT EXISTS WX_PROJECT_ISSUE_VIEW AS SELECT P.code AS project_code, P.project_type, P.title AS project_name, P.is_valid AS is_valid_project, S.* FROM WX_PROJECT_ISSUE S INNER JOIN WX_PROJECT P ON P.idx = S.project_idx AND S.com_idx = P.com_idx;
