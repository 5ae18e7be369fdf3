DO $$ DECLARE p int; BEGIN
  FOR i IN 1..3000 LOOP
    -- The activity view is read once a transaction unless cleared.
    PERFORM pg_stat_clear_snapshot();
    SELECT pid INTO p FROM pg_stat_activity
      WHERE wait_event_type = 'Lock' AND application_name = 'evrakmatik' LIMIT 1;
    EXIT WHEN p IS NOT NULL;
    PERFORM pg_sleep(0.02);
  END LOOP;
  IF p IS NULL THEN
    -- Never found waiting: let the save go on, and fail.
    PERFORM pg_terminate_backend(pid) FROM pg_stat_activity
      WHERE datname = current_database() AND pid <> pg_backend_pid();
    RAISE EXCEPTION 'no save waited';
  END IF;
  PERFORM pg_terminate_backend(p);
END $$
